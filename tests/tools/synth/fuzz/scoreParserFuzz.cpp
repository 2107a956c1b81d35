// libFuzzer target: any bytes as a score. Built and run by scripts/fuzz,
// replayed from corpus/ and regressions/ by the ordinary tests.
//
// Beyond what the sanitizers catch: every problem is one line, the parser
// stops after its twenty problems and a line saying it gave up, and a score
// it accepts renders. The render is of one bar, sped up to last at most half
// a second, so that each input stays quick.

#include "ScoreParser.h"
#include "SongRenderer.h"
#include "Timing.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

synth::Score firstBarOf(synth::Score score)
{
    constexpr int64_t fastestTempoMilli = 120 * 1000; // a 1-beat bar in half a second
    score.tempoMilli = std::max(score.tempoMilli, fastestTempoMilli * score.beatsPerBar);
    score.bars = 1;
    auto pastFirstBar = [](const auto& entry) { return entry.firstBar > 0; };
    score.plays.erase(std::remove_if(score.plays.begin(), score.plays.end(), pastFirstBar), score.plays.end());
    score.ramps.erase(std::remove_if(score.ramps.begin(), score.ramps.end(), pastFirstBar), score.ramps.end());
    for (auto& play : score.plays)
        play.lastBar = 0;
    for (auto& ramp : score.ramps)
        ramp.lastBar = 0;
    return score;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    synth::ScoreParser parser("fuzz.score");
    const auto score = parser.parse(std::string(reinterpret_cast<const char*>(data), size));

    const auto& problems = parser.errors();
    require(score.has_value() == problems.empty());
    require(problems.size() <= 21);
    for (const std::string& problem : problems)
        require(problem.rfind("fuzz.score:", 0) == 0 && problem.find_first_of("\r\n") == std::string::npos);

    if (score) {
        const synth::Score shortScore = firstBarOf(*score);
        const synth::SongRenderer renderer(shortScore);
        require(renderer.frameCount() <= synth::Timing::sampleRate / 2 + 1);
        require(renderer.render().size() == static_cast<size_t>(renderer.frameCount()) * 2);
    }
    return 0;
}
