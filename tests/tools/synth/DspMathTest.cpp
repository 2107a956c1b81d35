#include <gtest/gtest.h>

#include <cmath>

#include "DspMath.h"

TEST(DspMath, SinesMatchTheLibraryOverManyTurns)
{
    constexpr double twoPi = 6.28318530717958647692;
    for (double turns = -3.0; turns <= 3.0; turns += 0.000731) {
        ASSERT_NEAR(synth::sineTurns(turns), std::sin(twoPi * turns), 1e-9) << turns;
        ASSERT_NEAR(synth::cosineTurns(turns), std::cos(twoPi * turns), 1e-9) << turns;
    }
    EXPECT_EQ(synth::sineTurns(0.0), 0.0);
    EXPECT_NEAR(synth::sineTurns(0.25), 1.0, 1e-12);
    // Far from zero, as a long-running phase would be.
    EXPECT_NEAR(synth::sineTurns(1e6 + 0.125), std::sqrt(0.5), 1e-9);
}

TEST(DspMath, PowersOfTwoMatchTheLibrary)
{
    for (double x = -12.0; x <= 12.0; x += 0.00917) {
        double expected = std::pow(2.0, x);
        ASSERT_NEAR(synth::power2(x), expected, expected * 1e-12) << x;
    }
    EXPECT_EQ(synth::power2(0.0), 1.0);
    EXPECT_EQ(synth::power2(3.0), 8.0);
    EXPECT_EQ(synth::power2(-2.0), 0.25);
}

TEST(DspMath, FallFactorsReachTheirLevelInTheirTime)
{
    const struct {
        double seconds, rate, decibels;
    } cases[] = {{0.5, 44100.0, 60.0}, {0.01, 44100.0, 60.0}, {2.0, 44100.0, 40.0}, {0.08, 2756.25, 20.0}};
    for (const auto& c : cases) {
        double factor = synth::fallFactor(c.seconds, c.rate, c.decibels);
        double level = std::pow(factor, c.seconds * c.rate);
        EXPECT_NEAR(20.0 * std::log10(level), -c.decibels, 1e-6);
    }
}
