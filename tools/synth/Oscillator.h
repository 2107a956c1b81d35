#pragma once

namespace synth {

// A phase that runs from 0 to 1 once per period, read as a saw or square
// with band-limited steps (polynomial corrections), so high notes do not
// alias. Defined here, as the voices call it for every sample.
class Oscillator {
public:
    void reset(double phase) { position = phase; }
    void setIncrement(double cyclesPerSample) { increment = cyclesPerSample; }

    double saw() const { return 2.0 * position - 1.0 - stepCorrection(position); }

    double square() const
    {
        double half = position < 0.5 ? position + 0.5 : position - 0.5;
        return (position < 0.5 ? 1.0 : -1.0) + stepCorrection(position) - stepCorrection(half);
    }

    double sine() const;

    void advance()
    {
        position += increment;
        if (position >= 1.0) {
            position -= 1.0;
        }
    }

private:
    // Smooths a unit step at phase 0 over one sample on either side.
    double stepCorrection(double phase) const
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

    double position = 0.0;
    double increment = 0.0;
};

} // namespace synth
