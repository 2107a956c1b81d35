#pragma once

#include <cstdint>
#include <memory>
#include <string>

class bassByteSource;

// Turns the bytes of one piece of music into 16-bit frames, front to back.
class bassDecoder {
public:
    // MP3 or WAV, told apart by the content. Null, after one line on standard
    // error naming `name`, when the bytes hold no music this layer plays.
    static std::unique_ptr<bassDecoder> open(std::unique_ptr<bassByteSource> bytes, const std::string& name);
    virtual ~bassDecoder() = default;

    int rate() const { return sampleRate; }
    int channels() const { return channelCount; }
    // The length the file announces; decoding may end earlier.
    int64_t frames() const { return frameCount; }
    // The file itself shows at opening that it ends early.
    bool cutShort() const { return shortened; }
    // One of the BASS_CTYPE_ codes.
    virtual uint32_t type() const = 0;
    // The next frames, up to `count`; fewer only where decoding ends.
    virtual int64_t read(int16_t* out, int64_t count) = 0;

protected:
    bassDecoder(int rate, int channels, int64_t frames, bool cutShort);

private:
    int sampleRate;
    int channelCount;
    int64_t frameCount;
    bool shortened;
};
