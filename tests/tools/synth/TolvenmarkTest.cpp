#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScoreParser.h"
#include "SongRenderer.h"
#include "Timing.h"
#include "synthTestAudio.h"
#include "testFiles.h"

using synth_test::channel;
using synth_test::peak;
using synth_test::rms;

namespace {

std::string tuneScore()
{
    return (testing_support::sourceDir() / "productions" / "kelvandrix" / "music" / "tolvenmark.score").string();
}

} // namespace

// The production's own tune, rendered once: the picture relies on its length
// and its sections.
TEST(Tolvenmark, IsSixtyFourBarsThatBuildUpAndFadeToSilence)
{
    std::vector<std::string> errors;
    auto score = synth::ScoreParser::parseFile(tuneScore(), errors);
    ASSERT_TRUE(score) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(score->tempoMilli, 127000);
    EXPECT_EQ(score->bars, 64);

    synth::SongRenderer renderer(*score);
    const std::vector<int16_t> samples = renderer.render();
    ASSERT_EQ(samples.size(), 2u * 5333669u);

    synth::Timing timing(score->tempoMilli, score->beatsPerBar, score->stepsPerBeat);
    auto section = [&](int firstBar, int endBar) {
        return rms(channel(samples, 0, timing.sampleAtBar(firstBar), timing.sampleAtBar(endBar)));
    };
    double intro = section(0, 8);
    double cubes = section(8, 24);
    double greetings = section(24, 34);
    double pyramids = section(34, 56);
    double outro = section(56, 64);
    EXPECT_GT(intro, 0.02);
    EXPECT_LT(intro, cubes * 0.5);
    EXPECT_LT(greetings, pyramids);
    EXPECT_LT(outro, pyramids * 0.5);

    for (int16_t sample : samples) {
        ASSERT_LT(sample, 32767);
        ASSERT_GT(sample, -32767);
    }
    int64_t end = timing.sampleAtBar(64);
    EXPECT_LT(peak(channel(samples, 0, end - 441, end)), 0.001);
    EXPECT_LT(peak(channel(samples, 1, end - 441, end)), 0.001);
    EXPECT_EQ(samples[samples.size() - 2], 0);
    EXPECT_EQ(samples.back(), 0);
}
