#pragma once

namespace synth {

// A resonant state-variable filter in trapezoidal form: stable under fast
// cutoff changes and at high resonance, with low, band and high outputs.
class Filter {
public:
    struct Outputs {
        double low;
        double band;
        double high;
    };

    // cutoff in Hz (clamped below Nyquist), resonance 0..1.
    void setup(double cutoff, double resonance, double sampleRate);
    // The same cutoff and resonance as another filter, keeping this one's state.
    void copyTuning(const Filter& other);
    Outputs process(double input);
    void reset();

private:
    double g = 0.0, k = 2.0;
    double a1 = 1.0, a2 = 0.0, a3 = 0.0;
    double state1 = 0.0, state2 = 0.0;
};

} // namespace synth
