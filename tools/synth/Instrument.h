#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Automation.h"
#include "Buses.h"
#include "Kind.h"
#include "Voice.h"

namespace synth {

// An instrument while the song renders: its notes in time order, its
// settings as they ramp, a pool of voices, and the way into the mix.
class Instrument {
public:
    struct Event {
        int64_t start;  // sample
        int64_t length; // samples
        int pitch;      // MIDI note, or Score::noPitch
        double velocity;
    };

    // events: sorted by start. ramps: one automation per ramped setting.
    Instrument(const Kind& kind, const ParamValues& values, std::vector<Event> events,
        std::vector<std::pair<Param, Automation>> ramps, uint32_t seed);

    // Renders samples [start, start + count) of this instrument and adds it
    // to the buses, ducked by duck (the sidechain pulse for the same samples).
    void render(int64_t start, int count, const double* duck, Buses& buses);

private:
    static constexpr int poolSize = 24;

    void applyRamps(int64_t sample);
    void startNote(const Event& event);
    void renderVoices(int offset, int count);
    void mixInto(Buses& buses, int count, const double* duck, double gainFrom, double gainTo);
    Voice& freeVoice();

    ParamValues values;
    std::vector<Event> events;
    std::size_t nextEvent = 0;
    std::vector<std::pair<Param, Automation>> ramps;
    std::vector<std::unique_ptr<Voice>> voices;
    uint32_t seed;
    double left[Buses::blockSize];
    double right[Buses::blockSize];
};

} // namespace synth
