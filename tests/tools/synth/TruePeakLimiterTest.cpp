#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "TruePeakLimiter.h"

using synth::TruePeakLimiter;

namespace {

constexpr double pi = 3.14159265358979323846;

// Left and right of each output frame for `input` (left only; right is its
// negation), followed by enough silence to push everything out.
std::vector<double> limited(const std::vector<double>& input, double ceiling)
{
    TruePeakLimiter limiter(ceiling);
    std::vector<double> output;
    for (size_t i = 0; i < input.size() + TruePeakLimiter::latency(); ++i) {
        double left = i < input.size() ? input[i] : 0.0;
        double right = -left;
        limiter.process(left, right);
        EXPECT_EQ(right, -left);
        output.push_back(left);
    }
    return output;
}

} // namespace

// The tune's samples must stay where the score puts them: the sync tracks
// follow them to the frame.
TEST(TruePeakLimiter, PassesAQuietSignalUnchangedExactlyItsLatencyLater)
{
    std::vector<double> input;
    for (int i = 0; i < 4000; ++i) {
        input.push_back(0.7 * std::sin(i * 0.05) * std::exp(-i / 2000.0));
    }
    std::vector<double> output = limited(input, 0.75);
    for (int i = 0; i < TruePeakLimiter::latency(); ++i) {
        ASSERT_EQ(output[i], 0.0) << i;
    }
    for (size_t i = 0; i < input.size(); ++i) {
        ASSERT_EQ(output[i + TruePeakLimiter::latency()], input[i]) << i;
    }
}

// A sine at a quarter of the sample rate, sampled 45 degrees off its crests:
// every sample is 0.707 of the true peak that a decoder rebuilds.
TEST(TruePeakLimiter, HoldsThePeakBetweenSamplesUnderTheCeiling)
{
    const double ceiling = 0.75;
    std::vector<double> input;
    for (int i = 0; i < 20000; ++i) {
        input.push_back(1.3 * std::sin(pi / 2 * i + pi / 4));
    }
    std::vector<double> output = limited(input, ceiling);
    double samplePeak = 0.0;
    for (double sample : output) {
        samplePeak = std::max(samplePeak, std::fabs(sample));
    }
    // Samples under the ceiling alone would allow 0.75; the true peak allows
    // 0.707 of that, and the limiter should not take much more.
    EXPECT_LE(samplePeak, ceiling * std::sqrt(0.5) * 1.01);
    EXPECT_GE(samplePeak, ceiling * std::sqrt(0.5) * 0.95);
}
