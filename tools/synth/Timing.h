#pragma once

#include <cstdint>

namespace synth {

// Where steps and bars fall in samples. Positions are computed from the
// start of the song in exact integer arithmetic and rounded to the nearest
// sample (halves round up), so rounding never accumulates from bar to bar.
class Timing {
public:
    static constexpr int sampleRate = 44100;

    Timing(int64_t tempoMilli, int beatsPerBar, int stepsPerBeat);

    int64_t sampleAtStep(int64_t step) const;
    int64_t sampleAtBar(int64_t bar) const { return sampleAtStep(bar * stepsPerBar); }
    int64_t stepsInBar() const { return stepsPerBar; }

private:
    int64_t tempoMilli;
    int64_t stepsPerBeat;
    int64_t stepsPerBar;
};

} // namespace synth
