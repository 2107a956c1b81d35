#include <gtest/gtest.h>

#include <cmath>

#include "Timing.h"

using synth::Timing;

TEST(Timing, SixtyFourBarsAt127AreExactlyTheTunesLength)
{
    Timing timing(127000, 4, 4);
    // 256 beats * 60 / 127 s * 44100 = 5333669.29 samples, rounded to nearest.
    EXPECT_EQ(timing.sampleAtBar(64), 5333669);
    EXPECT_EQ(timing.sampleAtBar(0), 0);
    EXPECT_EQ(timing.stepsInBar(), 16);
}

TEST(Timing, EveryStepRoundsToTheNearestSampleWithoutDrift)
{
    const struct {
        int64_t tempoMilli;
        int beats, steps;
    } tempos[] = {{127000, 4, 4}, {127500, 3, 4}, {90000, 4, 3}, {174000, 4, 4}};
    for (const auto& tempo : tempos) {
        SCOPED_TRACE(tempo.tempoMilli);
        Timing timing(tempo.tempoMilli, tempo.beats, tempo.steps);
        long double samplesPerStep = 60.0L * 44100.0L * 1000.0L / (tempo.tempoMilli * tempo.steps);
        for (int64_t step = 0; step <= 64 * tempo.beats * tempo.steps; ++step) {
            ASSERT_EQ(timing.sampleAtStep(step), std::llround(step * samplesPerStep)) << "step " << step;
        }
    }
}

TEST(Timing, HalfSamplesRoundUp)
{
    // 120 bpm, four steps a beat: 5512.5 samples a step.
    Timing timing(120000, 4, 4);
    EXPECT_EQ(timing.sampleAtStep(1), 5513);
    EXPECT_EQ(timing.sampleAtStep(2), 11025);
    EXPECT_EQ(timing.sampleAtStep(3), 16538);
}
