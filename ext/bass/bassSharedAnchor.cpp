#include "bassSharedAnchor.h"

#include <thread>

// Release stores keep the odd count ahead of the fields, the closing even
// count behind them; acquire loads keep the closing check behind the fields.
// No stand-alone fences, which ThreadSanitizer does not model.
void bassSharedAnchor::publish(const bassAnchor& anchor)
{
    const uint64_t start = sequence.load(std::memory_order_relaxed);
    sequence.store(start + 1, std::memory_order_relaxed);
    command.store(anchor.command, std::memory_order_release);
    frame.store(anchor.frame, std::memory_order_release);
    time.store(anchor.time, std::memory_order_release);
    period.store(anchor.period, std::memory_order_release);
    bufferFrames.store(anchor.bufferFrames, std::memory_order_release);
    delivered.store(anchor.delivered, std::memory_order_release);
    stalled.store(anchor.stalled, std::memory_order_release);
    sequence.store(start + 2, std::memory_order_release);
}

bool bassSharedAnchor::read(bassAnchor& anchor) const
{
    for (;;) {
        const uint64_t before = sequence.load(std::memory_order_acquire);
        if (before == 0)
            return false;
        if (before % 2 == 0) {
            anchor.command = command.load(std::memory_order_acquire);
            anchor.frame = frame.load(std::memory_order_acquire);
            anchor.time = time.load(std::memory_order_acquire);
            anchor.period = period.load(std::memory_order_acquire);
            anchor.bufferFrames = bufferFrames.load(std::memory_order_acquire);
            anchor.delivered = delivered.load(std::memory_order_acquire);
            anchor.stalled = stalled.load(std::memory_order_acquire);
            if (sequence.load(std::memory_order_relaxed) == before)
                return true;
        }
        std::this_thread::yield();
    }
}
