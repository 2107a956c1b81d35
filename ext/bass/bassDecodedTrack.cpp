#include "bassDecodedTrack.h"

#include <mpg123.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
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

// Samples per frame of MPEG-1 layer II and III, the longest MPEG audio frame.
constexpr off_t kLongestFrame = 1152;

struct DecoderDeleter {
    void operator()(mpg123_handle* h) const { mpg123_delete(h); }
};
using DecoderPtr = std::unique_ptr<mpg123_handle, DecoderDeleter>;

void report(const char* what, const std::string& path)
{
    std::fprintf(stderr, "audio: %s \"%s\"\n", what, path.c_str());
}

void reportTruncated(const std::string& path)
{
    std::fprintf(stderr, "audio: \"%s\" is truncated, playing what decodes\n", path.c_str());
}

DecoderPtr newDecoder()
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); });
    DecoderPtr decoder(mpg123_new(nullptr, nullptr));
    if (!decoder)
        return nullptr;
    // Its own warnings would be a second, less clear line for the same file.
    mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    // 16-bit output at the file's own rate and channel count, nothing else.
    mpg123_format_none(decoder.get());
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(decoder.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return decoder;
}

// A length taken from an encoder's header before the scan, or -1 when the
// decoder could only estimate it.
off_t announcedLength(mpg123_handle* decoder)
{
    long accurate = 0;
    if (mpg123_getstate(decoder, MPG123_ACCURATE, &accurate, nullptr) != MPG123_OK || !accurate)
        return -1;
    return mpg123_length(decoder);
}

} // namespace

std::unique_ptr<bassDecodedTrack> bassDecodedTrack::open(const std::string& path)
{
    DecoderPtr decoder = newDecoder();
    if (!decoder) {
        report("cannot start the decoder for", path);
        return nullptr;
    }
    if (mpg123_open(decoder.get(), path.c_str()) != MPG123_OK) {
        report("cannot open", path);
        return nullptr;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(decoder.get(), &rate, &channels, &encoding) != MPG123_OK) {
        report("cannot decode", path);
        return nullptr;
    }
    // Pin the format: a later frame in another layout is converted, so the
    // buffer keeps one layout throughout.
    mpg123_format_none(decoder.get());
    mpg123_format(decoder.get(), rate, channels, MPG123_ENC_SIGNED_16);

    const off_t announced = announcedLength(decoder.get());
    if (mpg123_scan(decoder.get()) != MPG123_OK) {
        report("cannot decode", path);
        return nullptr;
    }
    const off_t frames = mpg123_length(decoder.get());
    if (frames <= 0 || mpg123_seek(decoder.get(), 0, SEEK_SET) != 0) {
        report("cannot decode", path);
        return nullptr;
    }
    // The header's count and the scan's may differ by a few samples of
    // encoder bookkeeping; a missing frame is more than that.
    if (announced - frames > kLongestFrame)
        reportTruncated(path);

    std::unique_ptr<int16_t[]> pcm(new (std::nothrow) int16_t[static_cast<size_t>(frames) * channels]);
    if (!pcm) {
        report("not enough memory to decode", path);
        return nullptr;
    }
    return std::unique_ptr<bassDecodedTrack>(new bassDecodedTrack(path, decoder.release(), static_cast<int>(rate),
                                                                  channels, frames, std::move(pcm)));
}

bassDecodedTrack::bassDecodedTrack(std::string path, mpg123_handle_struct* decoder, int rate, int channels,
                                   int64_t frames, std::unique_ptr<int16_t[]> pcm)
    : path(std::move(path))
    , decoder(decoder)
    , sampleRate(rate)
    , channelCount(channels)
    , frameCount(frames)
    , pcm(std::move(pcm))
    , worker([this] { decodeAll(); })
{
}

bassDecodedTrack::~bassDecodedTrack()
{
    {
        std::lock_guard<std::mutex> lock(wakeMutex);
        stopRequested = true;
    }
    wake.notify_one();
    worker.join();
    mpg123_delete(decoder);
}

void bassDecodedTrack::needNow(int64_t frame)
{
    need(frame);
    wake.notify_one();
}

// Sleeps while the lead is long enough; false when asked to stop.
bool bassDecodedTrack::waitForNeed(int64_t done)
{
    const int64_t lead = kLeadSeconds * sampleRate;
    std::unique_lock<std::mutex> lock(wakeMutex);
    while (!stopRequested && done >= needed.load(std::memory_order_relaxed) + lead)
        wake.wait_for(lock, kLookInterval);
    return !stopRequested;
}

bool bassDecodedTrack::stopping()
{
    std::lock_guard<std::mutex> lock(wakeMutex);
    return stopRequested;
}

void bassDecodedTrack::decodeAll()
{
    const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(channelCount);
    int64_t done = 0;
    while (done < frameCount && waitForNeed(done)) {
        const int64_t want = std::min(kChunkFrames, frameCount - done);
        size_t bytes = 0;
        const int result = mpg123_read(decoder, pcm.get() + done * channelCount, static_cast<size_t>(want) * frameBytes,
                                       &bytes);
        done += static_cast<int64_t>(bytes / frameBytes);
        decoded.store(done, std::memory_order_release);
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            break;
    }
    if (done < frameCount && !stopping()) {
        std::fprintf(stderr, "audio: \"%s\" decodes to %.3f s of %.3f s, the rest plays as silence\n", path.c_str(),
                     static_cast<double>(done) / sampleRate, static_cast<double>(frameCount) / sampleRate);
        finish(done);
    }
}

// Silence after the last decodable frame keeps the length that was announced
// at opening.
void bassDecodedTrack::finish(int64_t done)
{
    std::memset(pcm.get() + done * channelCount, 0,
                static_cast<size_t>(frameCount - done) * channelCount * sizeof(int16_t));
    decoded.store(frameCount, std::memory_order_release);
}
