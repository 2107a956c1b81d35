// Background decoding on a thread of its own: the desktop's.
#include "bassDecodedTrack.h"

#include "bassDecoder.h"

#include <algorithm>
#include <chrono>

namespace {

// How often the decoder looks at where playback is. A lead many times this
// interval keeps playback fed even when the decoder gets little CPU.
constexpr auto kLookInterval = std::chrono::milliseconds(50);

// How long prepare() waits for the background decoder. Decoding needs about
// a millisecond per second of music, so only a machine starved of CPU for
// this long gets here; then playback stalls, which is the truth.
constexpr auto kPrepareLimit = std::chrono::seconds(2);

} // namespace

void bassDecodedTrack::startBackground()
{
    worker = std::thread([this] { decodeInBackground(); });
}

bassDecodedTrack::~bassDecodedTrack()
{
    if (!worker.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(wakeMutex);
        stopRequested = true;
    }
    wake.notify_one();
    worker.join();
}

void bassDecodedTrack::need(int64_t frame)
{
    needed.store(frame, std::memory_order_relaxed);
}

void bassDecodedTrack::prepare(int64_t frame, int64_t ahead)
{
    const int64_t upTo = std::min(frame + ahead, frames());
    if (!worker.joinable()) {
        while (!ready(upTo) && decodeChunk()) {
        }
        return;
    }
    std::unique_lock<std::mutex> lock(wakeMutex);
    // Apart from need(): the output keeps saying where it plays now, which
    // may be far from where it is about to play.
    urgent = upTo;
    need(frame);
    wake.notify_one();
    progress.wait_for(lock, kPrepareLimit, [&] { return ready(upTo); });
}

// Sleeps while the lead is long enough; false when asked to stop.
bool bassDecodedTrack::waitForNeed(int64_t done)
{
    const int64_t lead = kLeadSeconds * sampleRate;
    std::unique_lock<std::mutex> lock(wakeMutex);
    while (!stopRequested && done >= urgent && done >= needed.load(std::memory_order_relaxed) + lead)
        wake.wait_for(lock, kLookInterval);
    return !stopRequested;
}

void bassDecodedTrack::decodeInBackground()
{
    bool more = true;
    while (more && waitForNeed(decodedFrames())) {
        more = decodeChunk();
        // Under the lock, so that a waiter cannot miss it between its check
        // and its sleep.
        std::lock_guard<std::mutex> lock(wakeMutex);
        progress.notify_all();
    }
}
