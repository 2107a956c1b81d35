#include "bassTestMedia.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace bass_testing {

namespace {

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

void run(const std::string& command)
{
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

} // namespace

std::filesystem::path makeMp3(const std::filesystem::path& dir, const std::string& name, const Signal& signal,
                              const std::string& lameOptions)
{
    const std::filesystem::path wav = dir / (name + ".wav");
    const std::filesystem::path mp3 = dir / name;
    std::ostringstream sox;
    sox << "sox -V1 -n -r " << signal.rate << " -c " << signal.channels << " -b 16 " << quoted(wav) << " synth "
        << signal.seconds << " " << signal.synth << " " << signal.effects;
    run(sox.str());
    run("lame --quiet " + lameOptions + " " + quoted(wav) + " " + quoted(mp3));
    std::filesystem::remove(wav);
    return mp3;
}

std::filesystem::path truncateCopy(const std::filesystem::path& from, const std::filesystem::path& to, size_t bytes)
{
    std::ifstream in(from, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GT(content.size(), bytes);
    std::ofstream(to, std::ios::binary) << content.substr(0, bytes);
    return to;
}

} // namespace bass_testing
