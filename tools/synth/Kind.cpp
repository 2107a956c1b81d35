#include "Kind.h"

#include <algorithm>

namespace synth {

namespace {

using Overrides = std::vector<std::pair<Param, double>>;

const std::vector<Param>& familyParams(Family family)
{
    static const std::vector<Param> kick = {
        Param::Pitch, Param::Punch, Param::Sweep, Param::Decay, Param::Click, Param::Drive};
    static const std::vector<Param> noiseDrum = {
        Param::Decay, Param::Tone, Param::Body, Param::Cutoff, Param::Resonance, Param::Bright, Param::Bursts};
    static const std::vector<Param> tone = {
        Param::Saw, Param::Square, Param::Sub, Param::Noise, Param::Voices, Param::Detune, Param::Spread,
        Param::Attack, Param::Decay, Param::Sustain, Param::Release, Param::Cutoff, Param::Resonance,
        Param::Envmod, Param::Fdecay, Param::Vibrato};
    static const std::vector<Param> master = {
        Param::Gain, Param::DelaySteps, Param::DelayFeedback, Param::ReverbSize, Param::ReverbDamp,
        Param::DuckRelease};
    switch (family) {
    case Family::Kick:
        return kick;
    case Family::NoiseDrum:
        return noiseDrum;
    case Family::Tone:
        return tone;
    case Family::Master:
        break;
    }
    return master;
}

bool isCommonParam(Param param)
{
    return param == Param::Gain || param == Param::Pan || param == Param::Delay || param == Param::Reverb ||
        param == Param::Duck || param == Param::Transpose;
}

// Settings every kind starts from before its own overrides.
const Overrides& baseValues()
{
    static const Overrides base = {
        {Param::Gain, 0.5}, {Param::Voices, 1.0}, {Param::Saw, 1.0}, {Param::Sustain, 1.0},
        {Param::Release, 0.1}, {Param::Decay, 0.5}, {Param::Fdecay, 0.2}, {Param::Cutoff, 20000.0},
        {Param::Pitch, 50.0}, {Param::Punch, 160.0}, {Param::Sweep, 0.09},
        {Param::DelaySteps, 3.0}, {Param::DelayFeedback, 0.4}, {Param::ReverbSize, 0.8},
        {Param::ReverbDamp, 0.4}, {Param::DuckRelease, 0.3}};
    return base;
}

const std::vector<Kind>& kinds()
{
    static const std::vector<Kind> all = {
        {"kick", Family::Kick,
            {{Param::Gain, 0.9}, {Param::Pitch, 46.0}, {Param::Punch, 170.0}, {Param::Sweep, 0.08},
                {Param::Decay, 0.5}, {Param::Click, 0.25}, {Param::Drive, 0.3}}},
        {"snare", Family::NoiseDrum,
            {{Param::Decay, 0.22}, {Param::Tone, 185.0}, {Param::Body, 0.45}, {Param::Cutoff, 3200.0},
                {Param::Resonance, 0.2}, {Param::Bright, 0.4}}},
        {"clap", Family::NoiseDrum,
            {{Param::Decay, 0.25}, {Param::Cutoff, 1300.0}, {Param::Resonance, 0.35}, {Param::Bursts, 3.0}}},
        {"hat", Family::NoiseDrum,
            {{Param::Gain, 0.25}, {Param::Decay, 0.05}, {Param::Cutoff, 8500.0}, {Param::Resonance, 0.1},
                {Param::Bright, 1.0}}},
        {"crash", Family::NoiseDrum,
            {{Param::Gain, 0.3}, {Param::Decay, 1.6}, {Param::Cutoff, 5500.0}, {Param::Bright, 1.0}}},
        {"bass", Family::Tone,
            {{Param::Sub, 0.5}, {Param::Attack, 0.002}, {Param::Decay, 0.3}, {Param::Sustain, 0.6},
                {Param::Release, 0.05}, {Param::Cutoff, 220.0}, {Param::Resonance, 0.55},
                {Param::Envmod, 3.5}, {Param::Fdecay, 0.12}}},
        {"pad", Family::Tone,
            {{Param::Gain, 0.3}, {Param::Voices, 5.0}, {Param::Detune, 18.0}, {Param::Spread, 0.9},
                {Param::Attack, 1.2}, {Param::Decay, 1.0}, {Param::Sustain, 0.9}, {Param::Release, 1.6},
                {Param::Cutoff, 1800.0}, {Param::Resonance, 0.15}}},
        {"lead", Family::Tone,
            {{Param::Saw, 0.6}, {Param::Square, 0.6}, {Param::Voices, 3.0}, {Param::Detune, 10.0},
                {Param::Spread, 0.5}, {Param::Attack, 0.01}, {Param::Decay, 0.3}, {Param::Sustain, 0.7},
                {Param::Release, 0.25}, {Param::Cutoff, 2500.0}, {Param::Resonance, 0.25},
                {Param::Envmod, 1.5}, {Param::Fdecay, 0.3}, {Param::Vibrato, 15.0}}},
        {"pluck", Family::Tone,
            {{Param::Square, 0.3}, {Param::Voices, 2.0}, {Param::Detune, 6.0}, {Param::Spread, 0.6},
                {Param::Attack, 0.001}, {Param::Decay, 0.25}, {Param::Sustain, 0.0}, {Param::Release, 0.15},
                {Param::Cutoff, 900.0}, {Param::Resonance, 0.35}, {Param::Envmod, 3.0},
                {Param::Fdecay, 0.15}}},
        {"riser", Family::Tone,
            {{Param::Saw, 0.0}, {Param::Noise, 1.0}, {Param::Attack, 0.5}, {Param::Release, 0.3},
                {Param::Cutoff, 800.0}, {Param::Resonance, 0.6}}},
    };
    return all;
}

} // namespace

Kind::Kind(std::string name, Family family, std::vector<std::pair<Param, double>> overrides)
    : kindName(std::move(name)), kindFamily(family)
{
    for (const auto& [param, value] : baseValues()) {
        values[paramIndex(param)] = value;
    }
    for (const auto& [param, value] : overrides) {
        values[paramIndex(param)] = value;
    }
}

const Kind* Kind::find(const std::string& name)
{
    const auto& all = kinds();
    auto found = std::find_if(all.begin(), all.end(), [&](const Kind& kind) { return kind.name() == name; });
    return found == all.end() ? nullptr : &*found;
}

const Kind& Kind::master()
{
    static const Kind bus("master", Family::Master, {{Param::Gain, 1.0}});
    return bus;
}

std::string Kind::names()
{
    std::string list;
    for (const Kind& kind : kinds()) {
        list += (list.empty() ? "" : ", ") + kind.name();
    }
    return list;
}

bool Kind::accepts(Param param) const
{
    if (kindFamily != Family::Master && isCommonParam(param)) {
        return true;
    }
    const auto& own = familyParams(kindFamily);
    return std::find(own.begin(), own.end(), param) != own.end();
}

} // namespace synth
