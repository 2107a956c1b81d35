#pragma once

namespace synth {

// A gentle high-pass (about 5 Hz) that keeps the mix centred on zero: short
// saw notes and kick sweeps each leave a little offset behind.
class DcBlocker {
public:
    double process(double input)
    {
        constexpr double pole = 0.9993;
        double output = input - previousInput + pole * previousOutput;
        previousInput = input;
        previousOutput = output;
        return output;
    }

private:
    double previousInput = 0.0;
    double previousOutput = 0.0;
};

} // namespace synth
