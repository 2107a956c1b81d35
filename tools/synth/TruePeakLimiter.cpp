#include "TruePeakLimiter.h"

#include <algorithm>
#include <cmath>

#include "Timing.h"

namespace synth {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double releaseSeconds = 0.05;

double sinc(double x)
{
    return x == 0.0 ? 1.0 : std::sin(pi * x) / (pi * x);
}

} // namespace

TruePeakLimiter::TruePeakLimiter(double ceiling)
    : ceiling(ceiling), release(1.0 - std::exp(-1.0 / (releaseSeconds * Timing::sampleRate)))
{
    // Windowed-sinc interpolation at each fraction of a frame, each phase
    // normalised so that a constant passes unchanged.
    for (int phase = 0; phase < phases; ++phase) {
        double fraction = static_cast<double>(phase) / phases;
        double sum = 0.0;
        for (int k = 0; k < 2 * halfTaps; ++k) {
            double distance = (k - halfTaps + 1) - fraction;
            double window = 0.5 * (1.0 + std::cos(pi * distance / (halfTaps + 0.5)));
            taps[phase][k] = sinc(distance) * window;
            sum += taps[phase][k];
        }
        for (double& tap : taps[phase]) {
            tap /= sum;
        }
    }
    required.fill(1.0);
    held.fill(1.0);
}

// The largest magnitude at `frame` and at the points between it and the
// next frame; frames before the first count as silence.
double TruePeakLimiter::truePeakAt(int64_t frame) const
{
    double peak = 0.0;
    for (const auto* channel : {&left, &right}) {
        for (int phase = 0; phase < phases; ++phase) {
            double value = 0.0;
            for (int k = 0; k < 2 * halfTaps; ++k) {
                int64_t at = frame + k - halfTaps + 1;
                if (at >= 0) {
                    value += taps[phase][k] * (*channel)[at & mask];
                }
            }
            peak = std::max(peak, std::fabs(value));
        }
    }
    return peak;
}

void TruePeakLimiter::process(double& inLeft, double& inRight)
{
    left[count & mask] = inLeft;
    right[count & mask] = inRight;

    // The peak after `judged` needs the frames up to count.
    int64_t judged = count - halfTaps;
    if (judged >= 0) {
        double peak = truePeakAt(judged);
        required[judged & mask] = peak > ceiling ? ceiling / peak : 1.0;
    }
    // The lowest gain that `start` or any of the next lookAhead-1 frames
    // allows, released slowly towards 1. Frames before the first are
    // silence, which allows anything.
    int64_t start = judged - lookAhead + 1;
    double lowest = 1.0;
    for (int64_t frame = std::max<int64_t>(start, 0); frame <= judged; ++frame) {
        lowest = std::min(lowest, required[frame & mask]);
    }
    releasing = std::min(lowest, releasing + (1.0 - releasing) * release);
    held[start & mask] = releasing;

    // Averaging over the look-ahead turns each fall into a ramp; every value
    // averaged covers the output frame, so none exceeds what it allows.
    int64_t out = start;
    double sum = 0.0;
    for (int64_t frame = out - lookAhead + 1; frame <= out; ++frame) {
        sum += held[frame & mask];
    }
    double gain = sum / lookAhead;
    inLeft = out >= 0 ? left[out & mask] * gain : 0.0;
    inRight = out >= 0 ? right[out & mask] * gain : 0.0;
    ++count;
}

} // namespace synth
