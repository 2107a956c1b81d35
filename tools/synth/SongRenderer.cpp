#include "SongRenderer.h"

#include <algorithm>
#include <cmath>

#include "Buses.h"
#include "DcBlocker.h"
#include "Kind.h"
#include "PingPongDelay.h"
#include "Reverb.h"
#include "TruePeakLimiter.h"

namespace synth {

namespace {

// Straight up to the knee, then bending towards full scale without ever
// reaching it, with no kink at the knee.
double softClip(double x)
{
    constexpr double knee = 0.7;
    double magnitude = std::fabs(x);
    if (!(magnitude > knee)) {
        return magnitude == magnitude ? x : 0.0; // NaN -> silence
    }
    double over = (magnitude - knee) / (1.0 - knee);
    double bent = knee + (1.0 - knee) * over / (1.0 + over);
    return std::copysign(bent, x);
}

int16_t toSample(double x)
{
    return static_cast<int16_t>(std::lround(x * 32767.0));
}

// The true peak allowed. lame's ringing adds more than a decibel on the
// tune's sharpest peaks, and the decoded tune must stay under -1 dBFS: at
// -2.5 it peaks at -1.2, 0.3 dB quieter (RMS) than without the limiter.
constexpr double truePeakCeilingDb = -2.5;

uint32_t nameSeed(const std::string& name)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

} // namespace

SongRenderer::SongRenderer(const Score& score)
    : score(score), timing(score.tempoMilli, score.beatsPerBar, score.stepsPerBeat)
{
}

std::vector<Instrument::Event> SongRenderer::eventsOf(int instrument) const
{
    std::vector<Instrument::Event> events;
    int64_t barSteps = timing.stepsInBar();
    for (const Score::Play& play : score.plays) {
        if (play.instrument != instrument) {
            continue;
        }
        const Score::Pattern& pattern = score.patterns[play.pattern];
        int64_t patternBars = pattern.steps / barSteps;
        for (int64_t bar = play.firstBar; bar <= play.lastBar; ++bar) {
            int64_t patternBar = (bar - play.firstBar) % patternBars;
            for (const Score::Note& note : pattern.notes) {
                int64_t inBar = note.step - patternBar * barSteps;
                if (inBar < 0 || inBar >= barSteps) {
                    continue;
                }
                int64_t step = bar * barSteps + inBar;
                int64_t start = timing.sampleAtStep(step);
                events.push_back(
                    {start, timing.sampleAtStep(step + note.length) - start, note.pitch, note.velocity});
            }
        }
    }
    std::stable_sort(events.begin(), events.end(),
        [](const Instrument::Event& a, const Instrument::Event& b) { return a.start < b.start; });
    return events;
}

Automation SongRenderer::rampOf(int target, Param param, double base) const
{
    std::vector<Automation::Segment> segments;
    for (const Score::Ramp& ramp : score.ramps) {
        if (ramp.target == target && ramp.param == param) {
            segments.push_back(
                {timing.sampleAtBar(ramp.firstBar), timing.sampleAtBar(ramp.lastBar + 1), ramp.from, ramp.to});
        }
    }
    std::sort(segments.begin(), segments.end(),
        [](const Automation::Segment& a, const Automation::Segment& b) { return a.start < b.start; });
    return Automation(base, segments);
}

std::vector<std::pair<Param, Automation>> SongRenderer::rampsOf(int target) const
{
    std::vector<std::pair<Param, Automation>> ramps;
    for (const Score::Ramp& ramp : score.ramps) {
        bool seen = std::any_of(ramps.begin(), ramps.end(), [&](const auto& entry) { return entry.first == ramp.param; });
        if (ramp.target == target && !seen) {
            double base = score.instruments[target].values[paramIndex(ramp.param)];
            ramps.emplace_back(ramp.param, rampOf(target, ramp.param, base));
        }
    }
    return ramps;
}

std::vector<Sidechain::Hit> SongRenderer::kickHits() const
{
    std::vector<Sidechain::Hit> hits;
    for (std::size_t i = 0; i < score.instruments.size(); ++i) {
        if (score.instruments[i].kind->family() == Family::Kick) {
            for (const Instrument::Event& event : eventsOf(static_cast<int>(i))) {
                hits.push_back({event.start, event.velocity});
            }
        }
    }
    std::stable_sort(hits.begin(), hits.end(),
        [](const Sidechain::Hit& a, const Sidechain::Hit& b) { return a.sample < b.sample; });
    return hits;
}

std::vector<Instrument> SongRenderer::makeInstruments() const
{
    std::vector<Instrument> instruments;
    instruments.reserve(score.instruments.size());
    for (std::size_t i = 0; i < score.instruments.size(); ++i) {
        const Score::Instrument& definition = score.instruments[i];
        int index = static_cast<int>(i);
        instruments.emplace_back(*definition.kind, definition.values, eventsOf(index), rampsOf(index),
            nameSeed(definition.name));
    }
    return instruments;
}

std::vector<int16_t> SongRenderer::render(const std::atomic<bool>* stop) const
{
    const ParamValues& master = score.master;
    std::vector<Instrument> instruments = makeInstruments();
    Sidechain sidechain(kickHits(), master[paramIndex(Param::DuckRelease)], Timing::sampleRate);
    auto delaySteps = static_cast<int64_t>(master[paramIndex(Param::DelaySteps)]);
    PingPongDelay delay(static_cast<int>(timing.sampleAtStep(delaySteps)), master[paramIndex(Param::DelayFeedback)]);
    Reverb reverb(master[paramIndex(Param::ReverbSize)], master[paramIndex(Param::ReverbDamp)]);
    Automation masterGain = rampOf(Score::Ramp::master, Param::Gain, master[paramIndex(Param::Gain)]);

    int64_t frames = frameCount();
    std::vector<int16_t> samples(static_cast<std::size_t>(frames) * 2);
    Buses buses;
    double duck[Buses::blockSize];
    DcBlocker centreLeft;
    DcBlocker centreRight;
    TruePeakLimiter limiter(std::pow(10.0, truePeakCeilingDb / 20.0));
    auto put = [&samples](int64_t frame, double left, double right) {
        if (frame >= 0) {
            samples[2 * static_cast<std::size_t>(frame)] = toSample(left);
            samples[2 * static_cast<std::size_t>(frame) + 1] = toSample(right);
        }
    };
    for (int64_t start = 0; start < frames; start += Buses::blockSize) {
        if (stop && stop->load(std::memory_order_relaxed))
            return {};
        int count = static_cast<int>(std::min<int64_t>(Buses::blockSize, frames - start));
        buses.clear();
        sidechain.render(start, count, duck);
        for (Instrument& instrument : instruments) {
            instrument.render(start, count, duck, buses);
        }
        delay.process(buses.delayLeft, buses.delayRight, buses.dryLeft, buses.dryRight, count);
        reverb.process(buses.reverbLeft, buses.reverbRight, buses.dryLeft, buses.dryRight, count);
        for (int i = 0; i < count; ++i) {
            double gain = masterGain.valueAt(start + i);
            double left = softClip(centreLeft.process(buses.dryLeft[i]) * gain);
            double right = softClip(centreRight.process(buses.dryRight[i]) * gain);
            limiter.process(left, right);
            put(start + i - TruePeakLimiter::latency(), left, right);
        }
    }
    // The limiter's last frames, pushed out by silence.
    for (int i = 0; i < TruePeakLimiter::latency(); ++i) {
        double left = 0.0;
        double right = 0.0;
        limiter.process(left, right);
        put(frames - TruePeakLimiter::latency() + i, left, right);
    }
    return samples;
}

} // namespace synth
