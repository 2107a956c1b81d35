#pragma once

#include "Filter.h"
#include "Noise.h"
#include "Oscillator.h"
#include "Voice.h"

namespace synth {

// Snares, claps, hats and cymbals: filtered noise with a falling envelope,
// optionally a pitched body ("tone", "body") and several quick re-triggers
// before the tail ("bursts"), which is what makes a clap.
class NoiseDrumVoice : public Voice {
public:
    void start(const Note& note, const ParamValues& params) override;
    void render(double* left, double* right, int count, const ParamValues& params) override;
    bool isActive() const override { return amplitude > 1e-4 || burstsLeft > 0; }
    double level() const override { return amplitude; }

private:
    void nextBurst();

    Noise noise;
    Filter filter;
    Oscillator body;
    double velocity = 0.0;
    double amplitude = 0.0;
    double amplitudeFactor = 0.0;
    double tailFactor = 0.0;
    double bodyAmplitude = 0.0;
    double bodyFactor = 0.0;
    int burstsLeft = 0;
    int burstCountdown = 0;
};

} // namespace synth
