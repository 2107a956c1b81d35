#include "Buses.h"

#include <algorithm>

namespace synth {

void Buses::clear()
{
    for (double* bus : {dryLeft, dryRight, delayLeft, delayRight, reverbLeft, reverbRight}) {
        std::fill(bus, bus + blockSize, 0.0);
    }
}

} // namespace synth
