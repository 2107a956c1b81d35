// CPU cost on the calling thread of one renderer pass (program lookup, the
// twelve per-frame uniforms, depth test, draw) against a bare glUseProgram +
// glDrawArrays of the same quad, in the same run. Needs a display.
#include "vroEngine.h"
#include "vroFSQuad.h"
#include "vroProgressBar.h"
#include "vroRenderer.h"
#include "vroShaderManager.h"
#include "vroWindow.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

const char* const kVertex = R"(#version 410 core
layout (location = 0) in vec3 vertexPosition;
void main() { gl_Position = vec4(vertexPosition, 1.0); })";

const char* const kFragment = R"(#version 410 core
uniform vec2 uResolution;
uniform float uTime;
uniform sampler2D uChannelA, uChannelB, uChannelC, uChannelD, uChannelText, uChannelTextDebug;
uniform float uSyncA, uSyncB, uSyncC, uSyncD;
out vec4 colour;
void main() {
    vec2 p = vec2(0.5);
    vec4 s = texture(uChannelA, p) + texture(uChannelB, p) + texture(uChannelC, p) + texture(uChannelD, p)
           + texture(uChannelText, p) + texture(uChannelTextDebug, p);
    colour = vec4(uResolution / 1000.0, uTime, uSyncA + uSyncB + uSyncC + uSyncD) + s;
})";

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename Pass>
double microsecondsPerPass(Pass pass, int passes)
{
    const double start = threadSeconds();
    for (int i = 0; i < passes; ++i) {
        pass();
        glFinish();
    }
    return (threadSeconds() - start) * 1e6 / passes;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / "kelvandrix-bench-renderer";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "all.vs") << kVertex;
    std::ofstream(dir / "all.fs") << kFragment;

    vroEngine engine(64, 64, "bench", false);
    engine.shaderManager->addShader("all", (dir / "all.vs").string(), (dir / "all.fs").string());
    {
        vroProgressBar bar(engine.window.get());
        bar.AddSteps(engine.shaderManager->HowManyItems());
        engine.shaderManager->Load(bar);
    }
    const GLuint program = engine.shaderManager->getShader("all")->id;
    vroFSQuad& quad = *engine.quad;

    auto rendererPass = [&] { engine.renderer->Render(quad, "all"); };
    auto barePass = [&] {
        glUseProgram(program);
        quad.Render();
    };

    constexpr int kPasses = 2000;
    constexpr int kRounds = 7;
    std::vector<double> renderer, bare;
    microsecondsPerPass(rendererPass, 200); // warm-up
    for (int round = 0; round < kRounds; ++round) {
        renderer.push_back(microsecondsPerPass(rendererPass, kPasses));
        bare.push_back(microsecondsPerPass(barePass, kPasses));
    }
    const double withUniforms = median(renderer);
    const double baseline = median(bare);
    std::printf("renderer pass (12 uniforms, lookup by name): %8.2f us CPU per pass\n", withUniforms);
    std::printf("bare glUseProgram + glDrawArrays (baseline): %8.2f us CPU per pass\n", baseline);
    std::printf("added by the renderer: %.2f us per pass (ratio %.2fx; target under 20 us)\n",
                withUniforms - baseline, withUniforms / baseline);
    std::filesystem::remove_all(dir);
    return 0;
}
