#include "Param.h"

namespace synth {

namespace {

// In the order of the enumeration.
const ParamInfo infos[paramCount] = {
    {"gain", 0.0, 4.0},
    {"pan", -1.0, 1.0},
    {"delay", 0.0, 1.0},
    {"reverb", 0.0, 1.0},
    {"duck", 0.0, 1.0},
    {"transpose", -48.0, 48.0},
    {"pitch", 20.0, 400.0},
    {"punch", 20.0, 2000.0},
    {"sweep", 0.001, 1.0},
    {"click", 0.0, 1.0},
    {"drive", 0.0, 1.0},
    {"tone", 0.0, 2000.0},
    {"body", 0.0, 1.0},
    {"bright", 0.0, 1.0},
    {"bursts", 0.0, 8.0},
    {"saw", 0.0, 1.0},
    {"square", 0.0, 1.0},
    {"sub", 0.0, 1.0},
    {"noise", 0.0, 1.0},
    {"voices", 1.0, 7.0},
    {"detune", 0.0, 100.0},
    {"spread", 0.0, 1.0},
    {"attack", 0.0, 10.0},
    {"sustain", 0.0, 1.0},
    {"release", 0.001, 10.0},
    {"envmod", 0.0, 8.0},
    {"fdecay", 0.001, 10.0},
    {"vibrato", 0.0, 100.0},
    {"decay", 0.001, 10.0},
    {"cutoff", 20.0, 20000.0},
    {"resonance", 0.0, 1.0},
    {"delay_steps", 1.0, 64.0},
    {"delay_feedback", 0.0, 0.95},
    {"reverb_size", 0.0, 1.0},
    {"reverb_damp", 0.0, 1.0},
    {"duck_release", 0.01, 2.0},
};

} // namespace

const ParamInfo& paramInfo(Param param)
{
    return infos[paramIndex(param)];
}

std::optional<Param> findParam(const std::string& name)
{
    for (int i = 0; i < paramCount; ++i) {
        if (name == infos[i].name) {
            return static_cast<Param>(i);
        }
    }
    return std::nullopt;
}

} // namespace synth
