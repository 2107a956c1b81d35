// Background decoding in the browser, which has no threads: the output pulls
// on the page's own thread, and each pull's need() decodes a slice there.
#include "bassDecodedTrack.h"

#include "bassDecoder.h"

#include <algorithm>

void bassDecodedTrack::startBackground()
{
}

bassDecodedTrack::~bassDecodedTrack() = default;

void bassDecodedTrack::need(int64_t frame)
{
    needed.store(frame, std::memory_order_relaxed);
    if (mode != Mode::Background)
        return;
    // What playback is about to take, then one slice more while the lead is
    // short: the lead builds up over many pulls, and no pull keeps the page
    // busy for long.
    const int64_t lead = std::min(frame + kLeadSeconds * sampleRate, frames());
    bool more = !ended.load(std::memory_order_relaxed);
    while (more && decodedFrames() < std::min(frame + kChunkFrames, lead))
        more = decodeChunk();
    if (more && decodedFrames() < lead)
        decodeChunk();
}

void bassDecodedTrack::prepare(int64_t frame, int64_t ahead)
{
    const int64_t upTo = std::min(frame + ahead, frames());
    while (!ready(upTo) && decodeChunk()) {
    }
}
