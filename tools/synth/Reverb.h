#pragma once

#include <cstddef>
#include <vector>

namespace synth {

// A small hall: per side, eight damped feedback combs in parallel and four
// all-passes in series, the right side's lines slightly longer for width.
class Reverb {
public:
    Reverb(double size, double damping);

    // Adds the reverberation of the send signal to out.
    void process(const double* sendLeft, const double* sendRight, double* outLeft, double* outRight, int count);

private:
    struct Comb {
        std::vector<double> buffer;
        std::size_t position = 0;
        double store = 0.0;
    };
    struct AllPass {
        std::vector<double> buffer;
        std::size_t position = 0;
    };
    struct Side {
        std::vector<Comb> combs;
        std::vector<AllPass> allPasses;
    };

    double processSide(Side& side, double input);

    Side left;
    Side right;
    double feedback;
    double damping;
};

} // namespace synth
