#pragma once

#include <cstdint>

#include "Param.h"

namespace synth {

// One sounding note of an instrument. Voices add their output to the
// instrument's stereo buffers; the instrument applies gain, pan and sends.
class Voice {
public:
    struct Note {
        double pitch;         // MIDI note number, transposed; drums ignore it
        double velocity;      // 0..1
        int64_t lengthSamples; // how long the note is held
        uint32_t seed;        // for anything random in the note's sound
    };

    virtual ~Voice() = default;

    // params: the instrument's settings when the note starts.
    virtual void start(const Note& note, const ParamValues& params) = 0;
    // params: the settings now; ramps may have moved some since the start.
    virtual void render(double* left, double* right, int count, const ParamValues& params) = 0;
    virtual bool isActive() const = 0;
    // How loud the voice is now, to pick the one to steal when all are busy.
    virtual double level() const = 0;
};

} // namespace synth
