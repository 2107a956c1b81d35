#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class bassDecoder;

// A whole piece of music as 16-bit PCM in memory, decoded front to back into
// a buffer set aside at opening, and published as it grows. Frames below
// decodedFrames() never change again, so any thread may read them without a
// lock; nothing is decoded twice, and going back never waits.
//
// In the background mode decoding keeps a lead over the frame that playback
// needs: on the desktop a thread of its own decodes (bassDecodedTrackThread.cpp);
// in the browser, which has no threads, slices of the page's thread decode
// the whole music from the opening on (bassDecodedTrackWeb.cpp). On demand,
// prepare() decodes in the caller's thread and nothing else does.
//
// When decoding ends before the announced length, the length becomes what
// decoded, and one line on standard error says the file is truncated.
class bassDecodedTrack {
public:
    enum class Mode { Background, OnDemand };

    // Null, after one line on standard error naming `name`, when there is
    // not enough memory for the whole music.
    static std::unique_ptr<bassDecodedTrack> open(std::unique_ptr<bassDecoder> decoder, const std::string& name,
                                                  Mode mode);
    ~bassDecodedTrack();

    bassDecodedTrack(const bassDecodedTrack&) = delete;
    bassDecodedTrack& operator=(const bassDecodedTrack&) = delete;

    int rate() const { return sampleRate; }
    int channels() const { return channelCount; }
    uint32_t type() const { return decoderType; }
    // Read decodedFrames() first: a length seen after it is at least as new.
    int64_t frames() const { return frameCount.load(std::memory_order_acquire); }
    int64_t decodedFrames() const { return decoded.load(std::memory_order_acquire); }
    // Interleaved samples, channels() per frame; valid below decodedFrames().
    const int16_t* samples() const { return pcm.get(); }

    // Playback needs frames from `frame` on. Never waits, for output threads.
    void need(int64_t frame);
    // Returns once `ahead` frames from `frame` on are decoded, or the music
    // ends before them (then frames() is final). In the background mode it
    // waits a bounded time for the decoder: past that, playback stalls.
    void prepare(int64_t frame, int64_t ahead);

private:
    // Frames decoded between two publications: about 0.4 s of music, a
    // fraction of a millisecond of work.
    static constexpr int64_t kChunkFrames = 16384;
    // How far decoding runs ahead of playback in the background mode, in
    // seconds of music.
    static constexpr int64_t kLeadSeconds = 10;

    bassDecodedTrack(std::unique_ptr<bassDecoder> decoder, std::string name, std::unique_ptr<int16_t[]> pcm,
                     Mode mode);
    void startBackground();
    bool decodeChunk();
    bool ready(int64_t upTo) const;
    void decodeInBackground();
    bool waitForNeed(int64_t done);

    std::unique_ptr<bassDecoder> decoder;
    std::string name;
    int sampleRate;
    int channelCount;
    uint32_t decoderType;
    Mode mode;
    bool truncationReported;
    std::unique_ptr<int16_t[]> pcm;
    std::atomic<int64_t> frameCount;
    std::atomic<int64_t> decoded{0};
    std::atomic<bool> ended{false};
    std::atomic<int64_t> needed{0};
    int64_t urgent = 0; // prepare() waits for the frames below; under wakeMutex
    std::mutex wakeMutex;
    std::condition_variable wake;     // the decoder: playback moved, or stop
    std::condition_variable progress; // waiters in prepare(): frames were published
    bool stopRequested = false;
    std::thread worker;
    long sliceTimer = 0; // the browser's: the timer of the next slice, 0 for none
};
