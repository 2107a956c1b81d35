// What capturing adds to drawing: frames of the cubes part at 1280x720 drawn
// with the music paused and the clock held at each frame's time, once with
// nothing more than presenting them (the baseline), then through the whole
// capture with each colour conversion: on the GPU (read back as yuv420p), and
// by ffmpeg (read back as BGRA); both encoded by ffmpeg to H.264. The floor
// is what no capture can spend less than: x264's own CPU time for the same
// frames, already converted, fed to ffmpeg alone. The capture's overhead is
// given as a share of the drawing and as a multiple of the floor.
// Targets: the capture adds under 30 %, and no more than 1.3 times the floor.
// Run from the run folder:
//   scripts/with-display sh -c 'cd build/test/run && ../bench/programs/bench_capture'
#include "captureChecks.h"
#include "frameCapture.h"
#include "frameRange.h"
#include "frameSink.h"
#include "vroProduction.h"
#include "vroShow.h"
#include "videoEncoder.h"
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroTimer.h"
#include "vroUtils.h"
#include "vroWindow.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kRounds = 3;
// Cubes from bar 14.4, 120 frames at 60 frames per second: what a capture
// does once (software GL builds the conversion programs at their first draw,
// some 75 ms of CPU) spread over 20 frames passed for a cost of every frame.
const FrameRange kRange = FrameRange::covering(27.2, 27.2 + 120.0 / 60.0, 60.0);

volatile std::sig_atomic_t never = 0;

// Milliseconds a frame, in wall time and in CPU time of this process and
// the children it waited for (ffmpeg).
struct Cost {
    double wall = 0.0;
    double cpu = 0.0;
};

double cpuSeconds()
{
    double seconds = 0.0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        seconds += usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    }
    return seconds;
}

// Times what runs between its making and `perFrame`.
class Stopwatch {
public:
    Cost perFrame() const
    {
        const double frames = static_cast<double>(kRange.count());
        return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count() * 1e3 / frames,
                (cpuSeconds() - cpuStart) * 1e3 / frames};
    }

private:
    std::chrono::steady_clock::time_point wallStart = std::chrono::steady_clock::now();
    double cpuStart = cpuSeconds();
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Drawing and presenting only.
Cost drawOnly()
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
    const Stopwatch watch;
    for (long frame = kRange.first; frame < kRange.end; ++frame)
        draw(frame);
    return watch.perFrame();
}

VideoEncoder::Settings encoding(const std::filesystem::path& output, FrameSink::Pixels frames)
{
    return {output, kWidth, kHeight, kRange.fps, 18, {}, &never, frames};
}

// The whole capture, loading left out.
Cost capture(const std::filesystem::path& output, FrameSink::Pixels frames)
{
    VideoEncoder encoder(encoding(output, frames));
    if (!encoder.Start())
        std::exit(1);
    FrameCapture capture(vroProductionDeclaration(), vroCreateProduction, kWidth, kHeight);
    const Stopwatch watch;
    if (!capture.Run(kRange, encoder, nullptr, never) || !encoder.Finish())
        std::exit(1);
    return watch.perFrame();
}

// Keeps the frames the GPU converted, for the floor.
class Recorder : public FrameSink {
public:
    Pixels takes() const override { return Pixels::yuv420p; }
    bool Write(long, const std::vector<std::uint8_t>& planes) override
    {
        frames.push_back(planes);
        return true;
    }
    bool Finish() override { return true; }
    void Abandon() override {}

    std::vector<std::vector<std::uint8_t>> frames;
};

std::vector<std::vector<std::uint8_t>> convertedFrames()
{
    Recorder recorder;
    FrameCapture capture(vroProductionDeclaration(), vroCreateProduction, kWidth, kHeight);
    if (!capture.Run(kRange, recorder, nullptr, never))
        std::exit(1);
    return recorder.frames;
}

// ffmpeg encoding frames that are ready, with nothing drawing beside it:
// its CPU time is x264's own work, the floor.
Cost encodeAlone(const std::vector<std::vector<std::uint8_t>>& frames, const std::filesystem::path& output)
{
    const Stopwatch watch;
    VideoEncoder encoder(encoding(output, FrameSink::Pixels::yuv420p));
    if (!encoder.Start())
        std::exit(1);
    for (size_t frame = 0; frame < frames.size(); ++frame)
        if (!encoder.Write(static_cast<long>(frame), frames[frame]))
            std::exit(1);
    if (!encoder.Finish())
        std::exit(1);
    return watch.perFrame();
}

} // namespace

int main()
{
    const auto output = std::filesystem::temp_directory_path() / ("bench_capture_" + std::to_string(getpid()) + ".mp4");
    const std::string gl = probeRenderer().name;
    const std::vector<std::vector<std::uint8_t>> frames = convertedFrames();
    // Everything takes turns, so that a machine whose load changes meanwhile
    // weighs on all alike; the medians of the rounds are compared.
    enum { kDraw, kGpu, kFfmpeg, kFloor, kKinds };
    const char* const names[kKinds] = {"drawing only", "capture, GPU converts", "capture, ffmpeg converts",
                                       "floor: x264 alone"};
    std::vector<Cost> costs[kKinds];
    for (int round = 0; round < kRounds; ++round) {
        costs[kDraw].push_back(drawOnly());
        costs[kGpu].push_back(capture(output, FrameSink::Pixels::yuv420p));
        costs[kFfmpeg].push_back(capture(output, FrameSink::Pixels::bgra));
        costs[kFloor].push_back(encodeAlone(frames, output));
    }
    std::filesystem::remove(output);

    std::printf("\ncubes, %dx%d, %ld frames, %s\n", kWidth, kHeight, kRange.count(), gl.c_str());
    std::printf("%-28s %s\n", "ms a frame, wall / CPU", "rounds, then their median");
    double wall[kKinds], cpu[kKinds];
    for (int kind = 0; kind < kKinds; ++kind) {
        std::vector<double> walls, cpus;
        std::printf("%-28s", names[kind]);
        for (const Cost& cost : costs[kind]) {
            std::printf(" %5.1f / %5.1f ", cost.wall, cost.cpu);
            walls.push_back(cost.wall);
            cpus.push_back(cost.cpu);
        }
        wall[kind] = median(walls);
        cpu[kind] = median(cpus);
        std::printf("| %5.1f / %5.1f\n", wall[kind], cpu[kind]);
    }
    const double floor = cpu[kFloor];
    std::printf("floor: %.1f ms of CPU a frame, %.1f %% of the drawing\n", floor, 100.0 * floor / wall[kDraw]);
    // On a loaded machine wall time says little; CPU time still says what the
    // capture costs, though not how much of it runs beside the drawing.
    for (int kind : {kGpu, kFfmpeg}) {
        const double added = wall[kind] - wall[kDraw];
        const double addedCpu = cpu[kind] - cpu[kDraw];
        std::printf("%s adds %.1f ms: %.1f %% (target < 30 %%), %.2f times the floor (target <= 1.3); "
                    "in CPU time %.1f ms: %.1f %%, %.2f times the floor\n",
                    names[kind], added, 100.0 * added / wall[kDraw], added / floor, addedCpu,
                    100.0 * addedCpu / cpu[kDraw], addedCpu / floor);
    }
    std::printf("the capture converts here with %s (--convert gpu|ffmpeg overrides)\n",
                vroUtils::isSoftwareRenderer(gl) ? "ffmpeg: a software renderer" : "the GPU");
    return 0;
}
