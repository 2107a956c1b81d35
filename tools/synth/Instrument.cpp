#include "Instrument.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "DspMath.h"
#include "KickVoice.h"
#include "NoiseDrumVoice.h"
#include "SynthVoice.h"

namespace synth {

namespace {

std::unique_ptr<Voice> makeVoice(Family family)
{
    switch (family) {
    case Family::Kick:
        return std::make_unique<KickVoice>();
    case Family::NoiseDrum:
        return std::make_unique<NoiseDrumVoice>();
    case Family::Tone:
    case Family::Master:
        break;
    }
    assert(family == Family::Tone);
    return std::make_unique<SynthVoice>();
}

} // namespace

Instrument::Instrument(const Kind& kind, const ParamValues& values, std::vector<Event> events,
    std::vector<std::pair<Param, Automation>> ramps, uint32_t seed)
    : values(values), events(std::move(events)), ramps(std::move(ramps)), seed(seed)
{
    for (int i = 0; i < poolSize; ++i) {
        voices.push_back(makeVoice(kind.family()));
    }
    applyRamps(0);
}

void Instrument::applyRamps(int64_t sample)
{
    for (const auto& [param, automation] : ramps) {
        values[paramIndex(param)] = automation.valueAt(sample);
    }
}

Voice& Instrument::freeVoice()
{
    auto idle = std::find_if(voices.begin(), voices.end(), [](const auto& voice) { return !voice->isActive(); });
    if (idle != voices.end()) {
        return **idle;
    }
    auto quietest = std::min_element(voices.begin(), voices.end(),
        [](const auto& a, const auto& b) { return a->level() < b->level(); });
    return **quietest;
}

void Instrument::startNote(const Event& event)
{
    // Each note gets its own noise, the same on every render.
    seed = seed * 1664525u + 1013904223u;
    double pitch = event.pitch + values[paramIndex(Param::Transpose)];
    freeVoice().start({pitch, event.velocity, event.length, seed}, values);
}

void Instrument::renderVoices(int offset, int count)
{
    for (auto& voice : voices) {
        if (voice->isActive()) {
            voice->render(left + offset, right + offset, count, values);
        }
    }
}

void Instrument::render(int64_t start, int count, const double* duck, Buses& buses)
{
    // Settings follow their ramps block by block; the gain moves smoothly from
    // where the last block left it.
    double gainFrom = values[paramIndex(Param::Gain)];
    applyRamps(start + count);
    std::fill(left, left + count, 0.0);
    std::fill(right, right + count, 0.0);
    int done = 0;
    while (nextEvent < events.size() && events[nextEvent].start < start + count) {
        int offset = static_cast<int>(std::max<int64_t>(events[nextEvent].start - start, 0));
        renderVoices(done, offset - done);
        done = offset;
        startNote(events[nextEvent++]);
    }
    renderVoices(done, count - done);
    mixInto(buses, count, duck, gainFrom, values[paramIndex(Param::Gain)]);
}

void Instrument::mixInto(Buses& buses, int count, const double* duck, double gainFrom, double gainTo)
{
    // Equal power, and unchanged level in the middle: a quarter turn from
    // left to right.
    double turns = (values[paramIndex(Param::Pan)] + 1.0) / 8.0;
    double panLeft = cosineTurns(turns) * std::sqrt(2.0);
    double panRight = sineTurns(turns) * std::sqrt(2.0);
    double duckDepth = values[paramIndex(Param::Duck)];
    double delaySend = values[paramIndex(Param::Delay)];
    double reverbSend = values[paramIndex(Param::Reverb)];
    for (int i = 0; i < count; ++i) {
        double gain = (gainFrom + (gainTo - gainFrom) * i / count) * (1.0 - duckDepth * duck[i]);
        double outLeft = left[i] * gain * panLeft;
        double outRight = right[i] * gain * panRight;
        buses.dryLeft[i] += outLeft;
        buses.dryRight[i] += outRight;
        buses.delayLeft[i] += outLeft * delaySend;
        buses.delayRight[i] += outRight * delaySend;
        buses.reverbLeft[i] += outLeft * reverbSend;
        buses.reverbRight[i] += outRight * reverbSend;
    }
}

} // namespace synth
