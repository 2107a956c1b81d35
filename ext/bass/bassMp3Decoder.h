#pragma once

#include "bassDecoder.h"

struct mpg123_handle_struct;

// MPEG audio through libmpg123. Opening reads only the frame headers (a few
// milliseconds for minutes of music), which gives the exact length with the
// encoder's gapless information.
class bassMp3Decoder : public bassDecoder {
public:
    static std::unique_ptr<bassDecoder> open(std::unique_ptr<bassByteSource> bytes, const std::string& name);
    ~bassMp3Decoder() override;

    bassMp3Decoder(const bassMp3Decoder&) = delete;
    bassMp3Decoder& operator=(const bassMp3Decoder&) = delete;

    uint32_t type() const override;
    int64_t read(int16_t* out, int64_t count) override;

private:
    bassMp3Decoder(std::unique_ptr<bassByteSource> bytes, mpg123_handle_struct* decoder, int rate, int channels,
                   int64_t frames, bool cutShort);

    std::unique_ptr<bassByteSource> bytes;
    mpg123_handle_struct* decoder;
    bool ended = false;
};
