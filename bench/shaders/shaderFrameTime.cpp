// Time of each of the production's passes at 1280x720 on this machine's GL,
// drawn full screen into an off-screen target, from draw to glFinish, with the clear of the target and the plain textured pass as baselines of
// the same run. The ray-marched scenes draw at moments spread over their
// parts with the sync values of those moments; they and the post pass are
// timed beside the baseline shaders kept in bench/shaders/baseline, frame
// for frame alternating, so that a busy machine slows both alike.
// Run it on a display: scripts/with-display <build>/bench/shaders/bench_shaders
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "inputTexture.h"
#include "offscreenTarget.h"
#include "partMoments.h"
#include "shaderPass.h"
#include "vroWindow.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kMoments = 6;

struct Pass {
    const char* vertexFile;
    const char* fragmentFile;
    int part; // whose sync values it sees; -1: fixed ones
    bool hasBaseline;
};

const Pass kPasses[] = {
    {"noTransform_flipY.vs", "textured.fs", -1, false}, {"noTransform_flipY.vs", "addtext.fs", -1, false},
    {"noTransform.vs", "rm_cubescape.fs", 1, true},     {"noTransform.vs", "rm_pyramidgrid.fs", 3, true},
    {"noTransform.vs", "post.fs", 1, true},             {"noTransform_flipY.vs", "debugtext.fs", -1, false},
};

// A scene-like input for the passes that read one: a colour ramp with a band
// of full glyph coverage across the middle.
std::vector<std::uint8_t> inputTexels()
{
    std::vector<std::uint8_t> texels(static_cast<size_t>(kWidth) * kHeight * 4);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* texel = &texels[(static_cast<size_t>(y) * kWidth + x) * 4];
            const bool band = y > kHeight / 3 && y < 2 * kHeight / 3;
            texel[0] = band ? 255 : static_cast<std::uint8_t>(x * 255 / kWidth);
            texel[1] = static_cast<std::uint8_t>(y * 255 / kHeight);
            texel[2] = 128;
            texel[3] = 255;
        }
    return texels;
}

std::vector<PassUniforms> momentsFor(const Pass& entry)
{
    if (entry.part >= 0)
        return momentsOfPart(entry.part, kMoments, kWidth, kHeight);
    std::vector<PassUniforms> moments(kMoments);
    for (int i = 0; i < kMoments; ++i) {
        moments[i].width = kWidth;
        moments[i].height = kHeight;
        moments[i].time = 10.0f + 0.7f * static_cast<float>(i);
        moments[i].syncB = 0.6f;
        moments[i].syncC = 0.2f;
    }
    return moments;
}

struct Milliseconds {
    double wall = 0.0;
    double cpu = 0.0; // of the whole process, the GL's render threads included
};

double processCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// Time until the GL has finished what `draw` issues. GL timer queries
// (GL_TIME_ELAPSED) do not serve here: on llvmpipe they reported 16 ms for a
// scene that takes 60 ms from draw to glFinish. The processor time the
// process spends meanwhile hardly depends on what else the machine runs.
template <typename Draw>
Milliseconds finishedMilliseconds(Draw draw)
{
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processCpuMilliseconds();
    draw();
    glFinish();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            processCpuMilliseconds() - cpuStart};
}

void clearTarget()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

struct Times {
    std::vector<double> wall;
    std::vector<double> cpu;
    void add(Milliseconds time)
    {
        wall.push_back(time.wall);
        cpu.push_back(time.cpu);
    }
};

void printRow(const char* name, const Times& today, const Times* baseline)
{
    std::printf("%-20s %10.1f %10.1f", name, median(today.wall), median(today.cpu));
    if (baseline)
        std::printf(" %12.1f %12.1f %8.2f %8.2f\n", median(baseline->wall), median(baseline->cpu),
                    median(today.wall) / median(baseline->wall), median(today.cpu) / median(baseline->cpu));
    else
        std::printf(" %12s %12s %8s %8s\n", "-", "-", "-", "-");
}

// Draws each moment once per version after a warm-up draw (the driver
// finishes compiling on the first one); the target is cleared before each.
void measure(const Pass& entry)
{
    const fs::path dir = KELVANDRIX_SHADER_DIR;
    const ShaderPass today(dir / entry.vertexFile, dir / entry.fragmentFile);
    const ShaderPass baseline(dir / entry.vertexFile,
                              (entry.hasBaseline ? fs::path(KELVANDRIX_BASELINE_SHADER_DIR) : dir) / entry.fragmentFile);
    if (!today.isLinked() || !baseline.isLinked()) {
        std::fprintf(stderr, "bench_shaders: cannot build \"%s\" with \"%s\"\n", entry.fragmentFile, entry.vertexFile);
        return;
    }
    const std::vector<PassUniforms> moments = momentsFor(entry);
    if (moments.empty()) {
        std::fprintf(stderr, "bench_shaders: no sync tracks for part %d\n", entry.part);
        return;
    }
    Times todayTimes, baselineTimes;
    for (int i = -1; i < static_cast<int>(moments.size()); ++i) {
        const PassUniforms& values = moments[std::max(i, 0)];
        clearTarget();
        const Milliseconds todayTime = finishedMilliseconds([&] { today.draw(values); });
        clearTarget();
        const Milliseconds baselineTime = finishedMilliseconds([&] { baseline.draw(values); });
        if (i >= 0) {
            todayTimes.add(todayTime);
            baselineTimes.add(baselineTime);
        }
    }
    printRow(entry.fragmentFile, todayTimes, entry.hasBaseline ? &baselineTimes : nullptr);
}

} // namespace

int main()
{
    vroWindow window(160, 90, "kelvandrix shader bench", false);
    OffscreenTarget target(kWidth, kHeight);
    const InputTexture input(kWidth, kHeight, inputTexels());
    for (int unit : {1, 5, 6})
        input.bindToUnit(unit);
    target.bind();
    glEnable(GL_DEPTH_TEST);
    std::printf("GL %s, %dx%d, draw to glFinish, median of %d draws\n", glGetString(GL_RENDERER), kWidth, kHeight,
                kMoments);
    std::printf("%-20s %10s %10s %12s %12s %8s %8s\n", "pass", "today ms", "today CPU", "baseline ms", "baseline CPU",
                "ratio", "CPU ratio");
    Times clears;
    for (int i = 0; i < kMoments; ++i)
        clears.add(finishedMilliseconds(clearTarget));
    printRow("clear", clears, nullptr);
    for (const Pass& entry : kPasses)
        measure(entry);
    target.unbind();
    return 0;
}
