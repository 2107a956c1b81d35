#include "KickVoice.h"

#include <cmath>

#include "DspMath.h"
#include "Timing.h"

namespace synth {

namespace {

constexpr double rate = Timing::sampleRate;

double saturate(double x)
{
    return x / (1.0 + std::fabs(x));
}

} // namespace

void KickVoice::start(const Note& note, const ParamValues& params)
{
    body.reset(0.0);
    noise = Noise(note.seed);
    amplitude = note.velocity;
    amplitudeFactor = fallFactor(params[paramIndex(Param::Decay)], rate);
    sweep = 1.0;
    sweepFactor = fallFactor(params[paramIndex(Param::Sweep)], rate, 20.0);
    click = params[paramIndex(Param::Click)] * note.velocity;
    clickFactor = fallFactor(0.01, rate);
    drive = 1.0 + 6.0 * params[paramIndex(Param::Drive)];
    driveNorm = 1.0 / saturate(drive);
}

double KickVoice::shape(double sample) const
{
    return saturate(sample * drive) * driveNorm;
}

void KickVoice::render(double* left, double* right, int count, const ParamValues& params)
{
    double pitch = params[paramIndex(Param::Pitch)];
    double punch = params[paramIndex(Param::Punch)];
    for (int i = 0; i < count; ++i) {
        body.setIncrement((pitch + (punch - pitch) * sweep) / rate);
        double sample = shape(body.sine()) * amplitude + noise.next() * click;
        left[i] += sample;
        right[i] += sample;
        body.advance();
        amplitude *= amplitudeFactor;
        sweep *= sweepFactor;
        click *= clickFactor;
    }
}

} // namespace synth
