#pragma once

#include <cstdint>

namespace synth {

// Attack-decay-sustain-release: a linear attack, exponential decay and
// release. Times are how long a stage takes to fall by 60 dB.
class Envelope {
public:
    void start(double attack, double decay, double sustain, double release, int64_t gateSamples,
        double sampleRate);
    double next();
    bool isFinished() const { return stage == Stage::Done; }
    double level() const { return value; }

private:
    enum class Stage { Attack, Decay, Release, Done };

    Stage stage = Stage::Done;
    double value = 0.0;
    double attackStep = 1.0;
    double decayFactor = 0.0;
    double sustainLevel = 0.0;
    double releaseFactor = 0.0;
    int64_t gate = 0;
};

} // namespace synth
