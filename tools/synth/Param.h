#pragma once

#include <array>
#include <optional>
#include <string>

namespace synth {

// Every setting an instrument or the master bus can have. Which ones a given
// instrument accepts depends on its family (see Kind).
enum class Param {
    // every instrument
    Gain, Pan, Delay, Reverb, Duck, Transpose,
    // kick
    Pitch, Punch, Sweep, Click, Drive,
    // noise drums
    Tone, Body, Bright, Bursts,
    // tone voices
    Saw, Square, Sub, Noise, Voices, Detune, Spread,
    Attack, Sustain, Release, Envmod, Fdecay, Vibrato,
    // shared by several families
    Decay, Cutoff, Resonance,
    // master bus
    DelaySteps, DelayFeedback, ReverbSize, ReverbDamp, DuckRelease,
    Count
};

constexpr int paramCount = static_cast<int>(Param::Count);

using ParamValues = std::array<double, paramCount>;

struct ParamInfo {
    const char* name;
    double min;
    double max;
};

const ParamInfo& paramInfo(Param param);
std::optional<Param> findParam(const std::string& name);

inline int paramIndex(Param param)
{
    return static_cast<int>(param);
}

} // namespace synth
