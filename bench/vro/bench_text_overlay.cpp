// One text frame of the production (the overlay cleared, then a
// twenty-character greeting written at size 36 on a 1280x720 overlay)
// against a frame that only clears, in the same run. CPU time is the whole
// process's, so the GL driver's own threads count too. Needs a display:
//   scripts/with-display <build>/bench/vro/bench_text_overlay
#include "vroEngine.h"
#include "vroFontManager.h"
#include "vroProgressBar.h"
#include "vroTextOverlay.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

namespace {

// Bebas Neue stands in for the production's display face; DejaVu Sans is
// the engine's default font and has wider glyphs.
const char* const kDisplayFont = "/usr/share/fonts/opentype/bebas-neue/BebasNeue-Regular.otf";
const char* const kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kGreeting = "NORTHWIND COLLECTIVE";
const glm::vec2 kPosition(-1.0f, 0.05f);
constexpr int kSize = 36;

std::unique_ptr<vroEngine> engine;

void clearOnlyFrame(benchmark::State& state)
{
    for (auto _ : state) {
        engine->textOverlay->Clear();
        glFinish();
    }
}

void textFrame(benchmark::State& state, const char* fontName)
{
    for (auto _ : state) {
        engine->textOverlay->Clear();
        engine->textOverlay->Write(kGreeting, kSize, kPosition, fontName);
        glFinish();
    }
}

BENCHMARK(clearOnlyFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(textFrame, display_font, "Steelfish")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(textFrame, default_font, "vro_default_font")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv)
{
    for (const char* file : {kDisplayFont, kDefaultFont})
        if (!std::filesystem::exists(file)) {
            std::fprintf(stderr, "bench_text_overlay: font \"%s\" is missing (scripts/install-deps)\n", file);
            return 1;
        }
    benchmark::Initialize(&argc, argv);
    engine = std::make_unique<vroEngine>(1280, 720, "text overlay bench", false);
    engine->fontManager->addFont("Steelfish", kDisplayFont);
    engine->fontManager->addFont("vro_default_font", kDefaultFont);
    {
        vroProgressBar bar(engine->window.get());
        bar.AddSteps(engine->fontManager->HowManyItems() + 1);
        engine->textOverlay->Load(bar);
        engine->fontManager->Load(bar);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    engine.reset();
    return 0;
}
