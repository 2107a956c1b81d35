#include "benchMusic.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

benchFolder::benchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "bench_bass_XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("bench: cannot make a temporary folder");
        std::exit(1);
    }
    dir = pattern;
}

benchFolder::~benchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

std::string makeMusic(const benchFolder& folder, const std::string& name, double seconds,
                      const std::string& lameOptions)
{
    const std::string wav = folder.path() + "/" + name + ".wav";
    const std::string mp3 = folder.path() + "/" + name;
    std::ostringstream command;
    command << "sox -V1 -n -r 44100 -c 2 -b 16 '" << wav << "' synth " << seconds << " pinknoise vol 0.3 synth "
            << seconds << " sine mix 220-880 && lame --quiet " << lameOptions << " '" << wav << "' '" << mp3
            << "' && rm '" << wav << "'";
    if (std::system(command.str().c_str()) != 0) {
        std::fprintf(stderr, "bench: cannot make %s with sox and lame\n", name.c_str());
        std::exit(1);
    }
    return mp3;
}

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
