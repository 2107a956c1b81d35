#pragma once

#include <array>

#include "Envelope.h"
#include "Filter.h"
#include "Noise.h"
#include "Oscillator.h"
#include "Voice.h"

namespace synth {

// The pitched voice behind bass, pad, lead, pluck and riser: up to seven
// detuned saw/square oscillators spread across the stereo field, a square
// an octave below, noise, then a resonant low-pass per side whose cutoff
// follows its own falling envelope ("envmod" octaves, "fdecay").
class SynthVoice : public Voice {
public:
    static constexpr int maxUnison = 7;

    void start(const Note& note, const ParamValues& params) override;
    void render(double* left, double* right, int count, const ParamValues& params) override;
    bool isActive() const override { return !envelope.isFinished(); }
    double level() const override { return envelope.level(); }

private:
    struct Unison {
        Oscillator oscillator;
        double ratio;       // of the note's frequency
        double leftWeight;
        double rightWeight;
    };

    void renderChunk(double* left, double* right, int count, const ParamValues& params);
    void updateModulation(const ParamValues& params);

    std::array<Unison, maxUnison> unison{};
    int unisonCount = 1;
    Oscillator sub;
    Noise noise;
    Envelope envelope;
    Filter filterLeft;
    Filter filterRight;
    double baseIncrement = 0.0;
    double velocity = 0.0;
    double filterEnvelope = 0.0;
    double filterFactor = 0.0;
    double vibratoPhase = 0.0;
    int64_t age = 0;
};

} // namespace synth
