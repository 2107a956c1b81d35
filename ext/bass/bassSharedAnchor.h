#pragma once

#include "bassAnchor.h"

#include <atomic>

// Hands anchors from the output thread to the callers of the interface
// without a lock: a sequence count around the fields (a seqlock). The one
// writer never waits; a reader that overlaps a write reads again.
class bassSharedAnchor {
public:
    void publish(const bassAnchor& anchor);
    // False while nothing was published.
    bool read(bassAnchor& anchor) const;

private:
    std::atomic<uint64_t> sequence{0};
    std::atomic<uint64_t> command{0};
    std::atomic<int64_t> frame{0};
    std::atomic<double> time{0.0};
    std::atomic<double> period{0.0};
    std::atomic<int32_t> bufferFrames{0};
    std::atomic<int32_t> delivered{0};
    std::atomic<bool> stalled{false};
};
