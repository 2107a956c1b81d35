#include "NoiseDrumVoice.h"

#include "DspMath.h"
#include "Timing.h"

namespace synth {

namespace {

constexpr double rate = Timing::sampleRate;
constexpr int burstSpacing = static_cast<int>(0.009 * rate);
// A band of white noise is much quieter than the noise itself.
constexpr double noiseLevel = 2.5;

} // namespace

void NoiseDrumVoice::start(const Note& note, const ParamValues& params)
{
    noise = Noise(note.seed);
    filter.reset();
    body.reset(0.0);
    body.setIncrement(params[paramIndex(Param::Tone)] / rate);
    velocity = note.velocity;
    double decay = params[paramIndex(Param::Decay)];
    tailFactor = fallFactor(decay, rate);
    bodyAmplitude = params[paramIndex(Param::Tone)] > 0.0 ? params[paramIndex(Param::Body)] * velocity : 0.0;
    bodyFactor = fallFactor(decay * 0.5, rate);
    burstsLeft = static_cast<int>(params[paramIndex(Param::Bursts)]);
    amplitude = velocity;
    amplitudeFactor = burstsLeft > 0 ? fallFactor(0.03, rate) : tailFactor;
    burstCountdown = burstSpacing;
}

void NoiseDrumVoice::nextBurst()
{
    --burstsLeft;
    amplitude = velocity;
    amplitudeFactor = burstsLeft > 0 ? fallFactor(0.03, rate) : tailFactor;
    burstCountdown = burstSpacing;
}

void NoiseDrumVoice::render(double* left, double* right, int count, const ParamValues& params)
{
    filter.setup(params[paramIndex(Param::Cutoff)], params[paramIndex(Param::Resonance)], rate);
    double bright = params[paramIndex(Param::Bright)];
    for (int i = 0; i < count; ++i) {
        if (burstsLeft > 0 && --burstCountdown <= 0) {
            nextBurst();
        }
        Filter::Outputs bands = filter.process(noise.next());
        double hiss = (bands.band * (1.0 - bright) + bands.high * bright) * noiseLevel;
        double sample = hiss * amplitude;
        if (bodyAmplitude > 0.0) {
            sample += body.sine() * bodyAmplitude;
            body.advance();
        }
        left[i] += sample;
        right[i] += sample;
        amplitude *= amplitudeFactor;
        bodyAmplitude *= bodyFactor;
    }
}

} // namespace synth
