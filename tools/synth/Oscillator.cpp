#include "Oscillator.h"

#include <cmath>

namespace synth {

namespace {

// Smooths a unit step at phase 0 over one sample on either side.
double stepCorrection(double phase, double increment)
{
    if (phase < increment) {
        double t = phase / increment;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - increment) {
        double t = (phase - 1.0) / increment;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

} // namespace

double Oscillator::saw() const
{
    return 2.0 * position - 1.0 - stepCorrection(position, increment);
}

double Oscillator::square() const
{
    double half = position < 0.5 ? position + 0.5 : position - 0.5;
    return (position < 0.5 ? 1.0 : -1.0) + stepCorrection(position, increment) - stepCorrection(half, increment);
}

double Oscillator::sine() const
{
    constexpr double twoPi = 6.28318530717958647692;
    return std::sin(twoPi * position);
}

void Oscillator::advance()
{
    position += increment;
    if (position >= 1.0) {
        position -= 1.0;
    }
}

} // namespace synth
