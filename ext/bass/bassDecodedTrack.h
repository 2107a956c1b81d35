#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct mpg123_handle_struct;

// A whole MP3 file as 16-bit PCM in memory. Opening reads only the frame
// headers (a few milliseconds for minutes of music), which gives the exact
// length; a thread of its own then decodes front to back into the
// preallocated buffer, keeping a lead over the frame that playback needs,
// and publishes how far it got. Frames below decodedFrames() never change
// again, so any thread may read them without a lock; nothing is decoded
// twice, and going back never waits.
class bassDecodedTrack {
public:
    // Null, after one line on standard error naming the file, when the file
    // cannot be opened or holds no decodable MPEG audio.
    static std::unique_ptr<bassDecodedTrack> open(const std::string& path);
    ~bassDecodedTrack();

    bassDecodedTrack(const bassDecodedTrack&) = delete;
    bassDecodedTrack& operator=(const bassDecodedTrack&) = delete;

    int rate() const { return sampleRate; }
    int channels() const { return channelCount; }
    int64_t frames() const { return frameCount; }
    int64_t decodedFrames() const { return decoded.load(std::memory_order_acquire); }
    // Interleaved samples, channels() per frame; valid below decodedFrames().
    const int16_t* samples() const { return pcm.get(); }

    // Playback needs frames from `frame` on. Lock-free, for output threads.
    void need(int64_t frame) { needed.store(frame, std::memory_order_relaxed); }
    // The same, and the decoder starts at once instead of at its next look.
    void needNow(int64_t frame);

private:
    bassDecodedTrack(std::string path, mpg123_handle_struct* decoder, int rate, int channels, int64_t frames,
                     std::unique_ptr<int16_t[]> pcm);
    void decodeAll();
    bool waitForNeed(int64_t done);
    bool stopping();
    void finish(int64_t frames);

    std::string path;
    mpg123_handle_struct* decoder;
    int sampleRate;
    int channelCount;
    int64_t frameCount;
    std::unique_ptr<int16_t[]> pcm;
    std::atomic<int64_t> decoded{0};
    std::atomic<int64_t> needed{0};
    std::mutex wakeMutex;
    std::condition_variable wake;
    bool stopRequested = false;
    std::thread worker;
};
