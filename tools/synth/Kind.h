#pragma once

#include <string>
#include <vector>

#include "Param.h"

namespace synth {

// How an instrument makes its sound.
enum class Family { Kick, NoiseDrum, Tone, Master };

// An instrument kind as a score names it ("bass", "hat", ...): a family with
// its own defaults. The master bus is a kind of its own that no score names.
class Kind {
public:
    static const Kind* find(const std::string& name);
    static const Kind& master();
    // The names a score may use, for messages: "kick, snare, ...".
    static std::string names();

    const std::string& name() const { return kindName; }
    Family family() const { return kindFamily; }
    bool accepts(Param param) const;
    // Whether its notes have a pitch; drums take hits and ignore pitches.
    bool isTuned() const { return kindFamily == Family::Tone; }
    const ParamValues& defaults() const { return values; }

    Kind(std::string name, Family family, std::vector<std::pair<Param, double>> overrides);

private:
    std::string kindName;
    Family kindFamily;
    ParamValues values{};
};

} // namespace synth
