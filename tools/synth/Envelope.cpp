#include "Envelope.h"

#include "DspMath.h"

namespace synth {

namespace {

// Below this an envelope is inaudible (-80 dB) and its voice can stop.
constexpr double silent = 1e-4;

} // namespace

void Envelope::start(double attack, double decay, double sustain, double release, int64_t gateSamples,
    double sampleRate)
{
    stage = Stage::Attack;
    value = 0.0;
    attackStep = attack > 0.0 ? 1.0 / (attack * sampleRate) : 1.0;
    decayFactor = fallFactor(decay, sampleRate);
    sustainLevel = sustain;
    releaseFactor = fallFactor(release, sampleRate);
    gate = gateSamples;
}

double Envelope::next()
{
    if (stage != Stage::Release && stage != Stage::Done && gate-- <= 0) {
        stage = Stage::Release;
    }
    switch (stage) {
    case Stage::Attack:
        value += attackStep;
        if (value >= 1.0) {
            value = 1.0;
            stage = Stage::Decay;
        }
        break;
    case Stage::Decay:
        value = sustainLevel + (value - sustainLevel) * decayFactor;
        if (value < silent) {
            stage = Stage::Done;
        }
        break;
    case Stage::Release:
        value *= releaseFactor;
        if (value < silent) {
            stage = Stage::Done;
        }
        break;
    case Stage::Done:
        value = 0.0;
        break;
    }
    return value;
}

} // namespace synth
