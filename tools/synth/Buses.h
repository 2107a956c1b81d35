#pragma once

namespace synth {

// One block of the mix: the dry sum and the two effect sends.
struct Buses {
    static constexpr int blockSize = 64;

    double dryLeft[blockSize];
    double dryRight[blockSize];
    double delayLeft[blockSize];
    double delayRight[blockSize];
    double reverbLeft[blockSize];
    double reverbRight[blockSize];

    void clear();
};

} // namespace synth
