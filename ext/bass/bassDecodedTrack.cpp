#include "bassDecodedTrack.h"

#include "bassDecoder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>

namespace {

// Frames decoded between two publications: about 0.4 s of music, a fraction
// of a millisecond of work.
constexpr int64_t kChunkFrames = 16384;

// How far decoding runs ahead of playback, in seconds of music, and how
// often the decoder looks at where playback is. A lead many times the look
// interval keeps playback fed even when the decoder gets little CPU.
constexpr int64_t kLeadSeconds = 10;
constexpr auto kLookInterval = std::chrono::milliseconds(50);

// How long prepare() waits for the background decoder. Decoding needs about
// a millisecond per second of music, so only a machine starved of CPU for
// this long gets here; then playback stalls, which is the truth.
constexpr auto kPrepareLimit = std::chrono::seconds(2);

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
    std::unique_ptr<bassDecodedTrack> track(new bassDecodedTrack(std::move(decoder), name, std::move(pcm)));
    if (mode == Mode::Background)
        track->worker = std::thread([raw = track.get()] { raw->decodeInBackground(); });
    return track;
}

bassDecodedTrack::bassDecodedTrack(std::unique_ptr<bassDecoder> source, std::string trackName,
                                   std::unique_ptr<int16_t[]> buffer)
    : decoder(std::move(source))
    , name(std::move(trackName))
    , sampleRate(decoder->rate())
    , channelCount(decoder->channels())
    , decoderType(decoder->type())
    , truncationReported(decoder->cutShort())
    , pcm(std::move(buffer))
    , frameCount(decoder->frames())
{
    if (truncationReported)
        reportTruncated(name);
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
