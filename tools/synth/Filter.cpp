#include "Filter.h"

#include <algorithm>
#include <cmath>

namespace synth {

void Filter::setup(double cutoff, double resonance, double sampleRate)
{
    constexpr double pi = 3.14159265358979323846;
    double frequency = std::clamp(cutoff, 10.0, sampleRate * 0.45);
    g = std::tan(pi * frequency / sampleRate);
    // Resonance 1 stops just short of self-oscillation.
    k = 2.0 * (1.0 - 0.97 * std::clamp(resonance, 0.0, 1.0));
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
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
