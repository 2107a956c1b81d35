#include "SynthVoice.h"

#include <algorithm>
#include <cmath>

#include "DspMath.h"
#include "Timing.h"

namespace synth {

namespace {

constexpr double rate = Timing::sampleRate;
// Modulation (filter envelope, vibrato) is updated once per chunk.
constexpr int chunk = 16;
constexpr double vibratoRate = 5.5;
constexpr double vibratoDelay = 0.15;

double noteFrequency(double pitch)
{
    return std::clamp(440.0 * power2((pitch - 69.0) / 12.0), 8.0, rate * 0.45);
}

double centsRatio(double cents)
{
    return power2(cents / 1200.0);
}

} // namespace

void SynthVoice::start(const Note& note, const ParamValues& params)
{
    noise = Noise(note.seed);
    velocity = note.velocity;
    baseIncrement = noteFrequency(note.pitch) / rate;
    unisonCount = std::clamp(static_cast<int>(params[paramIndex(Param::Voices)]), 1, maxUnison);
    double detune = params[paramIndex(Param::Detune)];
    double spread = params[paramIndex(Param::Spread)];
    // Equal loudness whatever the number of oscillators.
    double norm = 1.0 / std::sqrt(static_cast<double>(unisonCount));
    for (int i = 0; i < unisonCount; ++i) {
        double position = unisonCount > 1 ? 2.0 * i / (unisonCount - 1) - 1.0 : 0.0;
        double pan = position * spread * (i % 2 == 0 ? 1.0 : -1.0);
        Unison& voice = unison[i];
        voice.ratio = centsRatio(position * detune);
        voice.leftWeight = norm * (1.0 - pan);
        voice.rightWeight = norm * (1.0 + pan);
        // Free-running phases, so unison voices do not start in step.
        voice.oscillator.reset(unisonCount > 1 ? noise.nextUnit() : 0.0);
    }
    sub.reset(0.0);
    sub.setIncrement(baseIncrement * 0.5);
    int64_t gate = note.lengthSamples;
    envelope.start(params[paramIndex(Param::Attack)], params[paramIndex(Param::Decay)],
        params[paramIndex(Param::Sustain)], params[paramIndex(Param::Release)], gate, rate);
    filterEnvelope = 1.0;
    filterFactor = fallFactor(params[paramIndex(Param::Fdecay)], rate / chunk);
    filterLeft.reset();
    filterRight.reset();
    vibratoPhase = 0.0;
    age = 0;
}

void SynthVoice::render(double* left, double* right, int count, const ParamValues& params)
{
    for (int done = 0; done < count && isActive(); done += chunk) {
        int length = std::min(chunk, count - done);
        updateModulation(params);
        renderChunk(left + done, right + done, length, params);
    }
}

void SynthVoice::updateModulation(const ParamValues& params)
{
    double cutoff = params[paramIndex(Param::Cutoff)] *
        power2(params[paramIndex(Param::Envmod)] * filterEnvelope);
    double resonance = params[paramIndex(Param::Resonance)];
    filterLeft.setup(cutoff, resonance, rate);
    filterRight.copyTuning(filterLeft);
    filterEnvelope *= filterFactor;

    double seconds = static_cast<double>(age) / rate;
    double depth = params[paramIndex(Param::Vibrato)] * std::clamp(seconds / vibratoDelay - 1.0, 0.0, 1.0);
    double bend = depth > 0.0 ? centsRatio(depth * sineTurns(vibratoPhase)) : 1.0;
    vibratoPhase += vibratoRate * chunk / rate;
    vibratoPhase -= std::floor(vibratoPhase);
    for (int i = 0; i < unisonCount; ++i) {
        unison[i].oscillator.setIncrement(baseIncrement * unison[i].ratio * bend);
    }
    sub.setIncrement(baseIncrement * 0.5 * bend);
}

void SynthVoice::renderChunk(double* left, double* right, int count, const ParamValues& params)
{
    double sawLevel = params[paramIndex(Param::Saw)];
    double squareLevel = params[paramIndex(Param::Square)];
    double subLevel = params[paramIndex(Param::Sub)];
    double noiseLevel = params[paramIndex(Param::Noise)];
    for (int i = 0; i < count; ++i) {
        double sumLeft = 0.0;
        double sumRight = 0.0;
        for (int u = 0; u < unisonCount; ++u) {
            Oscillator& oscillator = unison[u].oscillator;
            double wave = sawLevel * oscillator.saw();
            if (squareLevel > 0.0) {
                wave += squareLevel * oscillator.square();
            }
            sumLeft += wave * unison[u].leftWeight;
            sumRight += wave * unison[u].rightWeight;
            oscillator.advance();
        }
        double centre = subLevel * sub.square() + noiseLevel * noise.next();
        sub.advance();
        double gain = envelope.next() * velocity;
        left[i] += filterLeft.process(sumLeft + centre).low * gain;
        right[i] += filterRight.process(sumRight + centre).low * gain;
    }
    age += count;
}

} // namespace synth
