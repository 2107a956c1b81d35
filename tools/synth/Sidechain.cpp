#include "Sidechain.h"

#include "DspMath.h"

namespace synth {

Sidechain::Sidechain(std::vector<Hit> hits, double release, double sampleRate)
    : hits(std::move(hits)),
      attackLength(static_cast<int>(0.004 * sampleRate)),
      releaseFactor(fallFactor(release, sampleRate, 40.0))
{
}

void Sidechain::render(int64_t start, int count, double* out)
{
    for (int i = 0; i < count; ++i) {
        while (nextHit < hits.size() && hits[nextHit].sample <= start + i) {
            target = hits[nextHit++].velocity;
            attackLeft = attackLength;
        }
        if (attackLeft > 0) {
            value += (target - value) / attackLeft--;
        } else {
            value *= releaseFactor;
        }
        out[i] = value;
    }
}

} // namespace synth
