#include "bassDecodedTrack.h"

#include "bassDecoder.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

void reportTruncated(const std::string& name)
{
    std::fprintf(stderr, "audio: \"%s\" is truncated, playing what decodes\n", name.c_str());
}

} // namespace

std::unique_ptr<bassDecodedTrack> bassDecodedTrack::open(std::unique_ptr<bassDecoder> decoder,
                                                         const std::string& name, Mode mode)
{
    const size_t samples = static_cast<size_t>(decoder->frames()) * decoder->channels();
    std::unique_ptr<int16_t[]> pcm(new (std::nothrow) int16_t[samples]);
    if (!pcm) {
        std::fprintf(stderr, "audio: not enough memory to decode \"%s\"\n", name.c_str());
        return nullptr;
    }
    std::unique_ptr<bassDecodedTrack> track(new bassDecodedTrack(std::move(decoder), name, std::move(pcm), mode));
    if (mode == Mode::Background)
        track->startBackground();
    return track;
}

bassDecodedTrack::bassDecodedTrack(std::unique_ptr<bassDecoder> source, std::string trackName,
                                   std::unique_ptr<int16_t[]> buffer, Mode decodeMode)
    : decoder(std::move(source))
    , name(std::move(trackName))
    , sampleRate(decoder->rate())
    , channelCount(decoder->channels())
    , decoderType(decoder->type())
    , mode(decodeMode)
    , truncationReported(decoder->cutShort())
    , pcm(std::move(buffer))
    , frameCount(decoder->frames())
{
    if (truncationReported)
        reportTruncated(name);
}

// Decodes the next chunk and publishes it; false once the music has ended.
// Only one thread at a time decodes: the worker, or the caller on demand.
bool bassDecodedTrack::decodeChunk()
{
    const int64_t done = decodedFrames();
    const int64_t length = frames();
    const int64_t want = std::min(kChunkFrames, length - done);
    const int64_t got = want > 0 ? decoder->read(pcm.get() + done * channelCount, want) : 0;
    if (got < want) {
        // The length shrinks before the frames are published, so whoever
        // sees the last frames also sees the length they end.
        frameCount.store(done + got, std::memory_order_release);
        if (!truncationReported)
            reportTruncated(name);
        truncationReported = true;
    }
    decoded.store(done + got, std::memory_order_release);
    if (done + got == frames())
        ended.store(true, std::memory_order_release);
    return !ended.load(std::memory_order_relaxed);
}

bool bassDecodedTrack::ready(int64_t upTo) const
{
    return ended.load(std::memory_order_acquire) || decodedFrames() >= upTo;
}
