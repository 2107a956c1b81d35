// Smoothness of the heard position: sampled every millisecond for 5 s of
// playback, against a straight line fitted to wall-clock time. Target: under
// 1 ms largest deviation, never backwards. Also the largest error of one
// 1-ms step against the fitted rate, which shows jumps.
//
// Measured on the silent output and, for comparison, on SDL's "disk" device
// (writing to /dev/null). That device is paced by whole-millisecond sleeps:
// it consumes about 4 % faster than real time and its pace wanders with the
// machine's load, so the position, which follows what the device consumed,
// cannot keep to a straight line there; its step error shows that it is
// still smooth.

#include "bass.h"
#include "benchMusic.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr double kSampleSeconds = 5.0;

struct Sample {
    double wall;
    double position;
};

std::vector<Sample> samplePlayback(const std::string& path)
{
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    if (stream == 0)
        std::exit(1);
    BASS_ChannelPlay(stream, FALSE);
    // From the moment music is heard.
    while (BASS_ChannelGetPosition(stream, BASS_POS_BYTE) == 0)
        std::this_thread::yield();
    std::vector<Sample> samples;
    const double start = steadySeconds();
    while (steadySeconds() - start < kSampleSeconds) {
        const QWORD bytes = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
        samples.push_back({steadySeconds() - start, BASS_ChannelBytes2Seconds(stream, bytes)});
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return samples;
}

void report(const char* label, const std::vector<Sample>& samples)
{
    double meanWall = 0.0;
    double meanPosition = 0.0;
    for (const Sample& s : samples) {
        meanWall += s.wall;
        meanPosition += s.position;
    }
    meanWall /= samples.size();
    meanPosition /= samples.size();
    double covariance = 0.0;
    double variance = 0.0;
    for (const Sample& s : samples) {
        covariance += (s.wall - meanWall) * (s.position - meanPosition);
        variance += (s.wall - meanWall) * (s.wall - meanWall);
    }
    const double slope = covariance / variance;
    double worst = 0.0;
    double squares = 0.0;
    double worstStep = 0.0;
    int backwards = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double line = meanPosition + slope * (samples[i].wall - meanWall);
        const double deviation = samples[i].position - line;
        worst = std::max(worst, std::fabs(deviation));
        squares += deviation * deviation;
        if (i == 0)
            continue;
        if (samples[i].position < samples[i - 1].position)
            ++backwards;
        const double step = (samples[i].position - samples[i - 1].position) - slope * (samples[i].wall - samples[i - 1].wall);
        worstStep = std::max(worstStep, std::fabs(step));
    }
    std::printf("%-28s %5zu samples  largest deviation %.3f ms  rms %.3f ms  largest step error %.3f ms  "
                "backward steps %d  rate %.5f\n",
                label, samples.size(), worst * 1e3, std::sqrt(squares / samples.size()) * 1e3, worstStep * 1e3,
                backwards, slope);
}

} // namespace

int main()
{
    benchFolder folder;
    const std::string music = makeMusic(folder, "music.mp3", kSampleSeconds + 2.0, "-V 2");
    std::printf("targets: largest deviation under 1 ms, no backward step\n");

    BASS_Init(0, 44100, 0, nullptr, nullptr);
    report("silent output", samplePlayback(music));
    BASS_Free();

    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    BASS_Init(-1, 44100, 0, nullptr, nullptr);
    report("SDL disk device (ms-paced)", samplePlayback(music));
    BASS_Free();
    return 0;
}
