#include "PingPongDelay.h"

#include <cassert>

namespace synth {

namespace {

// One-pole low-pass in the feedback path.
constexpr double damping = 0.35;

} // namespace

PingPongDelay::PingPongDelay(int delaySamples, double feedback)
    : left(static_cast<std::size_t>(delaySamples)), right(static_cast<std::size_t>(delaySamples)), feedback(feedback)
{
    assert(delaySamples > 0);
}

void PingPongDelay::process(const double* sendLeft, const double* sendRight, double* outLeft, double* outRight,
    int count)
{
    for (int i = 0; i < count; ++i) {
        double echoLeft = left[position];
        double echoRight = right[position];
        dampLeft += (echoLeft - dampLeft) * (1.0 - damping);
        dampRight += (echoRight - dampRight) * (1.0 - damping);
        left[position] = 0.5 * (sendLeft[i] + sendRight[i]) + dampRight * feedback;
        right[position] = dampLeft * feedback;
        outLeft[i] += echoLeft;
        outRight[i] += echoRight;
        if (++position == left.size()) {
            position = 0;
        }
    }
}

} // namespace synth
