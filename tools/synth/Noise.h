#pragma once

#include <cstdint>

namespace synth {

// White noise from a 32-bit xorshift generator: the same seed always gives
// the same sequence, on every machine.
class Noise {
public:
    explicit Noise(uint32_t seed = 1) : state(seed == 0 ? 0x6d2b79f5u : seed) {}

    uint32_t nextBits()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }

    // Uniform in [-1, 1).
    double next() { return static_cast<int32_t>(nextBits()) * (1.0 / 2147483648.0); }

    // Uniform in [0, 1).
    double nextUnit() { return nextBits() * (1.0 / 4294967296.0); }

private:
    uint32_t state;
};

} // namespace synth
