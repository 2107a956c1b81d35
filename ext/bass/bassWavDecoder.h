#pragma once

#include "bassDecoder.h"

// Uncompressed 16-bit PCM in a RIFF/WAVE file, mono or stereo. Opening reads
// the chunk headers; the samples are read as they are asked for.
class bassWavDecoder : public bassDecoder {
public:
    // The bytes start like a RIFF/WAVE file (the source is left at its start).
    static bool recognises(bassByteSource& bytes);
    static std::unique_ptr<bassDecoder> open(std::unique_ptr<bassByteSource> bytes, const std::string& name);

    uint32_t type() const override;
    int64_t read(int16_t* out, int64_t count) override;

private:
    bassWavDecoder(std::unique_ptr<bassByteSource> bytes, int rate, int channels, int64_t frames, bool cutShort);

    std::unique_ptr<bassByteSource> bytes;
};
