#pragma once

#include <cstddef>
#include <vector>

namespace synth {

// A stereo echo that bounces between the sides; every repeat is a little
// darker than the one before.
class PingPongDelay {
public:
    PingPongDelay(int delaySamples, double feedback);

    // Adds the echoes of the send signal to out.
    void process(const double* sendLeft, const double* sendRight, double* outLeft, double* outRight, int count);

private:
    std::vector<double> left;
    std::vector<double> right;
    std::size_t position = 0;
    double feedback;
    double dampLeft = 0.0;
    double dampRight = 0.0;
};

} // namespace synth
