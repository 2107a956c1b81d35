// Whole frames of the production at 1280x720 on this machine's GL, for one
// moment of each part, with today's shaders and with the baseline shaders
// kept in bench/shaders/baseline (a copy of the run folder where only those
// files differ), side by side from one run: baseline and today alternate
// twice and each figure is the median of both rounds' frames. Also the
// engine's and the scene script's CPU time per frame on the main thread,
// without waiting for the GPU. The music is paused at each moment.
// Run from the run folder on a display:
//   scripts/with-display sh -c 'cd build/test/run && ../bench/programs/bench_frame'
// A Windows build has bench_frame.exe in its run folder, which becomes the
// working folder as it starts (bench/windows/bench_windows runs it under
// Wine beside the Linux one).
// LP_NUM_THREADS=1 in the environment gives the software GL one render thread
// (scripts/frame-threads compares 1 and 2).
#include "kelvandrixAssets.h"
#include "vroProduction.h"
#include "vroShow.h"
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroProcessPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include <epoxy/gl.h>

namespace {

namespace fs = std::filesystem;

double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double processMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double wallMilliseconds()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const struct {
    const char* part;
    double bar;
} kMoments[] = {{"0 titles", 3.1}, {"1 cubes", 14.4}, {"2 greetings", 26.3}, {"3 pyramids", 41.4}, {"9 closing", 60.2}};
constexpr int kParts = sizeof(kMoments) / sizeof(kMoments[0]);
constexpr double kSecondsPerBar = 4.0 * 60.0 / 127.0;
constexpr int kFrames = 8;
constexpr int kRounds = 2;

struct Samples {
    std::vector<double> cpu[kParts];     // main thread, without waiting for the GL
    std::vector<double> frame[kParts];   // wall time of the whole frame
    std::vector<double> process[kParts]; // processor time of every thread, the GL's included
};

void measureProduction(Samples& samples)
{
    vroShow production(vroProductionDeclaration(), vroCreateProduction, 1280, 720, true);
    production.Start();
    vroEngine& engine = production.getEngine();
    engine.audio->Pause();
    for (int part = 0; part < kParts; ++part) {
        engine.audio->Forward(kMoments[part].bar * kSecondsPerBar - engine.audio->GetPosition());
        for (int i = 0; i < kFrames + 2; ++i) {
            const double wallStart = wallMilliseconds();
            const double processStart = processMilliseconds();
            const double cpuStart = threadMilliseconds();
            engine.IsRunning();
            production.RunFrame();
            const double cpuTaken = threadMilliseconds() - cpuStart;
            glFinish();
            engine.Update();
            if (i >= 2) { // the first frames warm the driver's caches
                samples.cpu[part].push_back(cpuTaken);
                samples.frame[part].push_back(wallMilliseconds() - wallStart);
                samples.process[part].push_back(processMilliseconds() - processStart);
            }
        }
    }
}

// The run folder's files again, with the baseline's shader files in place of
// today's; copies, which every platform makes (under Wine the baseline's
// folder, an absolute path of the build machine, is on the drive of the
// working folder).
bool makeBaselineRunFolder(const fs::path& runFolder, const fs::path& baselineFolder)
{
    std::error_code error;
    fs::create_directories(baselineFolder, error);
    for (const auto& entry : fs::directory_iterator(runFolder, error)) {
        if (!entry.is_regular_file())
            continue;
        const fs::path name = entry.path().filename();
        fs::path source = fs::path(KELVANDRIX_BASELINE_SHADER_DIR) / name;
        if (!fs::exists(source))
            source = entry.path();
        fs::copy_file(source, baselineFolder / name, fs::copy_options::overwrite_existing, error);
        if (error) {
            std::fprintf(stderr, "bench_frame: cannot copy \"%s\": %s\n", name.u8string().c_str(),
                         error.message().c_str());
            return false;
        }
    }
    return !error;
}

} // namespace

int main()
{
    vroProcessPlatform::Settle();
    const fs::path runFolder = fs::current_path();
    // Elsewhere every file would be missing and the figures those of an
    // empty screen.
    const std::string& tune = vroProductionDeclaration().tune;
    if (!fs::exists(runFolder / tune)) {
        std::fprintf(stderr, "bench_frame: no \"%s\" here: run it from the run folder\n", tune.c_str());
        return 1;
    }
    const fs::path baselineFolder =
        fs::temp_directory_path() / ("kelvandrix-baseline-run-" + std::to_string(vroProcessPlatform::ProcessId()));
    if (!makeBaselineRunFolder(runFolder, baselineFolder))
        return 1;

    Samples baseline, today;
    for (int round = 0; round < kRounds; ++round) {
        std::fprintf(stderr, "bench_frame: round %d of %d\n", round + 1, kRounds);
        fs::current_path(baselineFolder);
        measureProduction(baseline);
        fs::current_path(runFolder);
        measureProduction(today);
    }
    std::error_code error;
    fs::remove_all(baselineFolder, error);

    std::printf("frame ms at 1280x720, median of %d frames per part, baseline and today alternating\n", kFrames * kRounds);
    // The processor time of all threads for a frame hardly depends on what
    // else the machine runs: its ratio is the steadier one on a busy machine.
    std::printf("%-12s %12s %12s %8s %14s %10s %14s\n", "part", "baseline ms", "today ms", "ratio", "CPU ms/frame",
                "CPU share", "all-CPU ratio");
    for (int part = 0; part < kParts; ++part) {
        const double before = median(baseline.frame[part]);
        const double after = median(today.frame[part]);
        const double cpu = median(today.cpu[part]);
        const double processRatio = median(today.process[part]) / median(baseline.process[part]);
        std::printf("%-12s %12.1f %12.1f %8.2f %14.3f %9.2f%% %14.2f\n", kMoments[part].part, before, after,
                    after / before, cpu, 100.0 * cpu / after, processRatio);
    }
    return 0;
}
