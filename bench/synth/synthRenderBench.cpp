// Rendering the production's tune (target: well under 10 s on this machine),
// next to a baseline of the same 64 bars with no instruments, which is the
// fixed cost of the mix: sidechain, echo, reverb, master fade, clipper and
// conversion. "realtime" is seconds of music per second of rendering.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ScoreParser.h"
#include "SongRenderer.h"
#include "Timing.h"

namespace {

const std::string tunePath = std::string(KELVANDRIX_SOURCE_DIR) + "/productions/kelvandrix/music/tolvenmark.score";

void renderScore(benchmark::State& state, const synth::Score& score)
{
    synth::SongRenderer renderer(score);
    for (auto _ : state) {
        auto samples = renderer.render();
        benchmark::DoNotOptimize(samples.data());
    }
    double seconds = static_cast<double>(renderer.frameCount()) / synth::Timing::sampleRate;
    state.counters["realtime"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_RenderTolvenmark(benchmark::State& state)
{
    std::vector<std::string> errors;
    auto score = synth::ScoreParser::parseFile(tunePath, errors);
    if (!score) {
        state.SkipWithError(("cannot read " + tunePath).c_str());
        return;
    }
    renderScore(state, *score);
}

void BM_RenderEmptyMixBaseline(benchmark::State& state)
{
    synth::ScoreParser parser("baseline");
    auto score = parser.parse("tempo 127\nbars 64\n");
    renderScore(state, *score);
}

void BM_ParseTolvenmark(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<std::string> errors;
        auto score = synth::ScoreParser::parseFile(tunePath, errors);
        benchmark::DoNotOptimize(score);
    }
}

} // namespace

BENCHMARK(BM_RenderTolvenmark)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RenderEmptyMixBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ParseTolvenmark)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
