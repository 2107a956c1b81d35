#include "Filter.h"

#include <algorithm>

#include "DspMath.h"

namespace synth {

void Filter::setup(double cutoff, double resonance, double sampleRate)
{
    double frequency = std::clamp(cutoff, 10.0, sampleRate * 0.45);
    // tan(pi f / rate): half a turn at the sample rate.
    double turns = 0.5 * frequency / sampleRate;
    g = sineTurns(turns) / cosineTurns(turns);
    // Resonance 1 stops just short of self-oscillation.
    k = 2.0 * (1.0 - 0.97 * std::clamp(resonance, 0.0, 1.0));
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

void Filter::copyTuning(const Filter& other)
{
    g = other.g;
    k = other.k;
    a1 = other.a1;
    a2 = other.a2;
    a3 = other.a3;
}

Filter::Outputs Filter::process(double input)
{
    double v3 = input - state2;
    double v1 = a1 * state1 + a2 * v3;
    double v2 = state2 + a2 * state1 + a3 * v3;
    state1 = 2.0 * v1 - state1;
    state2 = 2.0 * v2 - state2;
    return {v2, v1, input - k * v1 - v2};
}

void Filter::reset()
{
    state1 = 0.0;
    state2 = 0.0;
}

} // namespace synth
