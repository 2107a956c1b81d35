#pragma once

#include <array>
#include <cstdint>

namespace synth {

// A look-ahead limiter on the true peak of a stereo signal: the peak between
// samples as well as at them (estimated at four times the sample rate), so
// that what a decoder rebuilds from the samples stays under the ceiling
// too. Both channels share one gain. The gain falls over the look-ahead
// before a peak and recovers exponentially after it; it never lets a sample
// or the estimated peak after it exceed the ceiling. The output is late by
// latency() frames. Plain double arithmetic only: the same input gives the
// same output on every machine.
class TruePeakLimiter {
public:
    explicit TruePeakLimiter(double ceiling);

    // Takes one frame and gives back, in place, the frame latency() frames
    // before it, limited (silence for the first latency() frames).
    void process(double& left, double& right);

    static constexpr int latency() { return halfTaps + lookAhead - 1; }

private:
    static constexpr int lookAhead = 32;  // frames over which the gain falls
    static constexpr int halfTaps = 4;    // interpolation reaches this far ahead
    static constexpr int phases = 4;      // true-peak oversampling
    static constexpr int size = 128;      // ring length, a power of two above every reach
    static constexpr int64_t mask = size - 1;

    double truePeakAt(int64_t frame) const;

    double ceiling;
    double release;
    std::array<std::array<double, 2 * halfTaps>, phases> taps{};
    std::array<double, size> left{};
    std::array<double, size> right{};
    std::array<double, size> required{}; // the gain each frame allows on its own
    std::array<double, size> held{};     // required gain, looked ahead and released
    double releasing = 1.0;
    int64_t count = 0;
};

} // namespace synth
