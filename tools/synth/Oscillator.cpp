#include "Oscillator.h"

#include "DspMath.h"

namespace synth {

double Oscillator::sine() const
{
    return sineTurns(position);
}

} // namespace synth
