#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace synth {

// The kick's pulse that other instruments duck under ("duck" setting): it
// rises within a few milliseconds of every kick hit, as high as the hit's
// velocity, and falls away over "duck_release" seconds.
class Sidechain {
public:
    struct Hit {
        int64_t sample;
        double velocity;
    };

    // hits: sorted by sample.
    Sidechain(std::vector<Hit> hits, double release, double sampleRate);

    // Writes the pulse for samples [start, start + count) into out; called
    // for consecutive blocks.
    void render(int64_t start, int count, double* out);

private:
    std::vector<Hit> hits;
    std::size_t nextHit = 0;
    double value = 0.0;
    double target = 0.0;
    int attackLeft = 0;
    int attackLength;
    double releaseFactor;
};

} // namespace synth
