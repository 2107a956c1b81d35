#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Param.h"

namespace synth {

class Kind;

// A score after parsing: names resolved to indices, every value in range.
struct Score {
    // Marks a drum hit, which has no pitch.
    static constexpr int noPitch = -1;

    struct Note {
        int step;        // from the start of the pattern
        int length;      // in steps, at least 1
        int pitch;       // MIDI note number, or noPitch
        double velocity; // 0..1
    };

    struct Pattern {
        std::string name;
        int line = 0;
        int steps = 0;
        std::vector<Note> notes; // in step order
        bool hasHits = false;    // some note without pitch
    };

    struct Instrument {
        std::string name;
        const Kind* kind = nullptr;
        ParamValues values{};
    };

    // The pattern repeats from its start at firstBar through lastBar.
    struct Play {
        int firstBar = 0;
        int lastBar = 0;
        int instrument = 0;
        int pattern = 0;
    };

    // A linear change from the start of firstBar to the end of lastBar; the
    // value then holds until the next ramp of the same setting.
    struct Ramp {
        static constexpr int master = -1;
        int line = 0;
        int firstBar = 0;
        int lastBar = 0;
        int target = master; // an instrument index, or master
        Param param = Param::Gain;
        double from = 0.0;
        double to = 0.0;
    };

    int64_t tempoMilli = 0; // beats per minute, in thousandths
    int beatsPerBar = 4;
    int stepsPerBeat = 4;
    int bars = 0;
    ParamValues master{};
    std::vector<Instrument> instruments;
    std::vector<Pattern> patterns;
    std::vector<Play> plays;
    std::vector<Ramp> ramps;

    int stepsPerBar() const { return beatsPerBar * stepsPerBeat; }
};

} // namespace synth
