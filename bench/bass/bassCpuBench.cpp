// CPU time of the whole process during the first 10 s of playback of a
// 3-minute MP3 (opening and decoding included), with the caller polling the
// position 60 times a second like a frame loop. Baseline: the same 10 s with
// the layer started and the same polling, but nothing playing. Target: under
// 3 % of one core.

#include "bass.h"
#include "benchMusic.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr double kSeconds = 10.0;

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec * 1e-6;
}

// CPU share of one core while `path` plays (nothing plays for an empty path).
double cpuShare(const std::string& path)
{
    BASS_Init(0, 44100, 0, nullptr, nullptr);
    const double cpuStart = processCpuSeconds();
    const double wallStart = steadySeconds();
    HSTREAM stream = 0;
    if (!path.empty()) {
        stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
        BASS_ChannelPlay(stream, FALSE);
    }
    while (steadySeconds() - wallStart < kSeconds) {
        BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
        std::this_thread::sleep_for(std::chrono::microseconds(16667));
    }
    const double share = (processCpuSeconds() - cpuStart) / (steadySeconds() - wallStart);
    BASS_Free();
    return share;
}

} // namespace

int main()
{
    benchFolder folder;
    const std::string music = makeMusic(folder, "music.mp3", 180.0, "-b 320");
    std::printf("target: under 3 %% of one core\n");
    std::printf("baseline, polling only:       %.2f %% of one core\n", cpuShare("") * 100.0);
    std::printf("playing 3 min CBR 320 kbps:   %.2f %% of one core (first 10 s, opening and decoding included)\n",
                cpuShare(music) * 100.0);
    return 0;
}
