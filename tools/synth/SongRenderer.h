#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "Automation.h"
#include "Instrument.h"
#include "Score.h"
#include "Sidechain.h"
#include "Timing.h"

namespace synth {

// Turns a score into 16-bit stereo samples at Timing::sampleRate: every
// instrument, the sidechain, echo and reverb, the master gain, a soft
// clipper and a true-peak limiter that keep the output below full scale. Nothing depends on the
// clock or the machine's randomness: the same score gives the same samples.
class SongRenderer {
public:
    explicit SongRenderer(const Score& score);

    // The song's length: from the start of bar 0 to the end of the last bar.
    int64_t frameCount() const { return timing.sampleAtBar(score.bars); }

    // Interleaved left/right, frameCount() frames; nothing when `stop` is
    // set before the end (from another thread: a long song takes minutes).
    std::vector<int16_t> render(const std::atomic<bool>* stop = nullptr) const;

private:
    std::vector<Instrument::Event> eventsOf(int instrument) const;
    std::vector<std::pair<Param, Automation>> rampsOf(int target) const;
    Automation rampOf(int target, Param param, double base) const;
    std::vector<Sidechain::Hit> kickHits() const;
    std::vector<Instrument> makeInstruments() const;

    const Score& score;
    Timing timing;
};

} // namespace synth
