#pragma once

#include "Noise.h"
#include "Oscillator.h"
#include "Voice.h"

namespace synth {

// A bass drum: a sine whose pitch falls from "punch" to "pitch" (nine
// tenths of the way in "sweep" seconds), a noise click on the attack and
// some saturation ("drive").
class KickVoice : public Voice {
public:
    void start(const Note& note, const ParamValues& params) override;
    void render(double* left, double* right, int count, const ParamValues& params) override;
    bool isActive() const override { return amplitude > 1e-4; }
    double level() const override { return amplitude; }

private:
    double shape(double sample) const;

    Oscillator body;
    Noise noise;
    double amplitude = 0.0;
    double amplitudeFactor = 0.0;
    double sweep = 0.0;
    double sweepFactor = 0.0;
    double click = 0.0;
    double clickFactor = 0.0;
    double drive = 0.0;
    double driveNorm = 1.0;
};

} // namespace synth
