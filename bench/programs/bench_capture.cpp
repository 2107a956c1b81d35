// What capturing adds to drawing: frames of the cubes part at 1280x720 drawn
// with the music paused and the clock held at each frame's time, once with
// nothing more than presenting them (the baseline), once through the
// capture: converted to yuv420p on the GPU, read back through pixel buffers
// and encoded by ffmpeg to H.264.
// Target: the capture adds under 30 %. Run from the run folder:
//   scripts/with-display sh -c 'cd build/test/run && ../bench/programs/bench_capture'
#include "frameCapture.h"
#include "frameRange.h"
#include "vroProduction.h"
#include "vroShow.h"
#include "videoEncoder.h"
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroTimer.h"
#include "vroWindow.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kRounds = 3;
// Cubes from bar 14.4, 120 frames at 60 frames per second: what a capture
// does once (software GL builds the conversion programs at their first draw,
// some 75 ms of CPU) spread over 20 frames passed for a cost of every frame.
const FrameRange kRange = FrameRange::covering(27.2, 27.2 + 120.0 / 60.0, 60.0);

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Milliseconds per frame of drawing and presenting only.
double drawOnly()
{
    vroShow production(vroProductionDeclaration(), vroCreateProduction, kWidth, kHeight, false, false);
    production.Start();
    vroEngine& engine = production.getEngine();
    engine.audio->Pause();
    auto draw = [&](long frame) {
        engine.audio->SeekTo(kRange.seconds(frame));
        engine.timer->Hold(engine.audio->GetPosition());
        engine.IsRunning();
        production.RunFrame();
        engine.window->update();
    };
    draw(kRange.first); // as the capture, one frame to warm the driver
    const auto start = std::chrono::steady_clock::now();
    for (long frame = kRange.first; frame < kRange.end; ++frame)
        draw(frame);
    return secondsSince(start) * 1e3 / static_cast<double>(kRange.count());
}

// Milliseconds per frame of the whole capture, loading left out.
double capture(const std::filesystem::path& output)
{
    VideoEncoder encoder({output, kWidth, kHeight, kRange.fps, 18, {}});
    if (!encoder.Start())
        std::exit(1);
    FrameCapture frames(vroProductionDeclaration(), vroCreateProduction, kWidth, kHeight);
    static volatile std::sig_atomic_t never = 0;
    const auto start = std::chrono::steady_clock::now();
    if (!frames.Run(kRange, encoder, nullptr, never) || !encoder.Finish())
        std::exit(1);
    return secondsSince(start) * 1e3 / static_cast<double>(kRange.count());
}

} // namespace

int main()
{
    const auto output = std::filesystem::temp_directory_path() / ("bench_capture_" + std::to_string(getpid()) + ".mp4");
    // Baseline and capture take turns, so that a machine whose load changes
    // meanwhile weighs on both alike; the medians of the rounds are compared.
    std::vector<double> baseline, captured;
    for (int round = 0; round < kRounds; ++round) {
        baseline.push_back(drawOnly());
        captured.push_back(capture(output));
    }
    std::filesystem::remove(output);

    std::printf("\n%-40s %10s %10s\n", "cubes, 1280x720, ms/frame", "baseline", "capture");
    for (int round = 0; round < kRounds; ++round)
        std::printf("round %-34d %10.1f %10.1f\n", round + 1, baseline[round], captured[round]);
    const double base = median(baseline), with = median(captured);
    std::printf("%-40s %10.1f %10.1f\n", "median", base, with);
    std::printf("added by converting, reading back and encoding: %.1f %% (target < 30 %%)\n", 100.0 * (with - base) / base);
    return 0;
}
