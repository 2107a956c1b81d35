#include "Timing.h"

#include <cassert>

namespace synth {

Timing::Timing(int64_t tempoMilli, int beatsPerBar, int stepsPerBeat)
    : tempoMilli(tempoMilli), stepsPerBeat(stepsPerBeat), stepsPerBar(int64_t{beatsPerBar} * stepsPerBeat)
{
    assert(tempoMilli > 0 && beatsPerBar > 0 && stepsPerBeat > 0);
}

int64_t Timing::sampleAtStep(int64_t step) const
{
    // samples = step * 60 s * rate / (bpm * stepsPerBeat), with bpm in thousandths.
    int64_t numerator = step * 60000 * sampleRate;
    int64_t denominator = tempoMilli * stepsPerBeat;
    return (2 * numerator + denominator) / (2 * denominator);
}

} // namespace synth
