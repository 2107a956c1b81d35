// Background decoding in the browser, which has no threads: slices of the
// page's own thread, a few milliseconds each between its frames, until the
// whole music is decoded; the output plays it from memory once it plays
// (bassWebOutput), and decodes what is left then at once.
#include "bassDecodedTrack.h"

#include "bassDecoder.h"
#include "bassSteadyClock.h"

#include <emscripten/eventloop.h>

#include <algorithm>

namespace {

// Work per slice: short against a frame of the page.
constexpr double kSliceSeconds = 0.008;

} // namespace

void bassDecodedTrack::startBackground()
{
    sliceTimer = emscripten_set_timeout(
        [](void* self) { static_cast<bassDecodedTrack*>(self)->decodeInBackground(); }, 0.0, this);
}

void bassDecodedTrack::decodeInBackground()
{
    sliceTimer = 0;
    const double sliceEnds = bassSteadyClock::now() + kSliceSeconds;
    bool more = !ended.load(std::memory_order_relaxed);
    while (more && bassSteadyClock::now() < sliceEnds)
        more = decodeChunk();
    if (more)
        startBackground();
}

bassDecodedTrack::~bassDecodedTrack()
{
    if (sliceTimer != 0)
        emscripten_clear_timeout(sliceTimer);
}

void bassDecodedTrack::need(int64_t frame)
{
    needed.store(frame, std::memory_order_relaxed);
}

void bassDecodedTrack::prepare(int64_t frame, int64_t ahead)
{
    const int64_t upTo = std::min(frame + ahead, frames());
    while (!ready(upTo) && decodeChunk()) {
    }
}
