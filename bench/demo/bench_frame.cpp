// Per-frame CPU time of the engine and the scene script on the main thread,
// without waiting for the GPU, next to the whole frame time on this machine's
// GL, for one moment of each part. The music is paused at that moment.
// Run from the run folder on a display:
//   scripts/with-display sh -c 'cd build/test/run && ../bench/demo/bench_frame'
#include "kelvandrixProduction.h"
#include "vroAudio.h"
#include "vroEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include <epoxy/gl.h>

namespace {

double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
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

} // namespace

int main()
{
    Production production(1280, 720, true);
    production.Start();
    vroEngine& engine = production.getEngine();
    engine.audio->Pause();

    const struct {
        const char* part;
        double bar;
    } moments[] = {{"0 titles", 3.1}, {"1 cubes", 14.4}, {"2 greetings", 26.3}, {"3 pyramids", 41.4}, {"9 closing", 60.2}};
    constexpr double kSecondsPerBar = 4.0 * 60.0 / 127.0;
    constexpr int kFrames = 12;

    std::printf("%-12s %14s %14s %10s\n", "part", "CPU ms/frame", "frame ms", "CPU share");
    for (const auto& moment : moments) {
        engine.audio->Forward(moment.bar * kSecondsPerBar - engine.audio->GetPosition());
        std::vector<double> cpu, frame;
        for (int i = 0; i < kFrames + 2; ++i) {
            const double wallStart = wallMilliseconds();
            const double cpuStart = threadMilliseconds();
            engine.IsRunning();
            production.RunFrame();
            const double cpuTaken = threadMilliseconds() - cpuStart;
            glFinish();
            engine.Update();
            if (i >= 2) { // the first frames warm the driver's caches
                cpu.push_back(cpuTaken);
                frame.push_back(wallMilliseconds() - wallStart);
            }
        }
        const double cpuMedian = median(cpu);
        const double frameMedian = median(frame);
        std::printf("%-12s %14.3f %14.1f %9.2f%%\n", moment.part, cpuMedian, frameMedian, 100.0 * cpuMedian / frameMedian);
    }
    return 0;
}
