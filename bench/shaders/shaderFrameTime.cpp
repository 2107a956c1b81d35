// Draws each of the production's passes full screen at 1280x720 into an
// off-screen target and prints the GL time per frame (glFinish included),
// with the plain textured pass as the baseline of the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "inputTexture.h"
#include "offscreenTarget.h"
#include "shaderPass.h"
#include "vroWindow.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kFrames = 5;

struct Pass {
    const char* vertexFile;
    const char* fragmentFile;
};

// Baseline first, then the passes in the order the production registers them.
const Pass kPasses[] = {
    {"noTransform_flipY.vs", "textured.fs"},
    {"noTransform_flipY.vs", "addtext.fs"},
    {"noTransform.vs", "rm_cubescape.fs"},
    {"noTransform.vs", "rm_pyramidgrid.fs"},
    {"noTransform.vs", "post.fs"},
    {"noTransform_flipY.vs", "debugtext.fs"},
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

double millisecondsOfOneFrame(const ShaderPass& pass, float time)
{
    PassUniforms values;
    values.width = kWidth;
    values.height = kHeight;
    values.time = time;
    values.syncA = 1.5f;
    values.syncB = 0.6f;
    values.syncC = 0.2f;
    const auto start = std::chrono::steady_clock::now();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pass.draw(values);
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void measure(const Pass& entry)
{
    const std::string dir = KELVANDRIX_SHADER_DIR;
    const ShaderPass pass(dir + "/" + entry.vertexFile, dir + "/" + entry.fragmentFile);
    if (!pass.isLinked()) {
        std::fprintf(stderr, "bench_shaders: cannot build \"%s\" with \"%s\"\n", entry.fragmentFile, entry.vertexFile);
        return;
    }
    millisecondsOfOneFrame(pass, 0.0f); // the driver finishes compiling on the first draw
    std::vector<double> times;
    for (int frame = 0; frame < kFrames; ++frame)
        times.push_back(millisecondsOfOneFrame(pass, 10.0f + 0.7f * static_cast<float>(frame)));
    std::sort(times.begin(), times.end());
    std::printf("%-20s median %8.1f ms   min %8.1f ms   max %8.1f ms\n", entry.fragmentFile, times[kFrames / 2], times.front(),
                times.back());
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
    std::printf("GL %s, %dx%d, %d frames per pass after one warm-up\n", glGetString(GL_RENDERER), kWidth, kHeight, kFrames);
    for (const Pass& entry : kPasses)
        measure(entry);
    target.unbind();
    return 0;
}
