#include "bassDecoder.h"

#include "bassByteSource.h"
#include "bassMp3Decoder.h"
#include "bassWavDecoder.h"

#include <cstdio>

bassDecoder::bassDecoder(int rate, int channels, int64_t frames, bool cutShort)
    : sampleRate(rate)
    , channelCount(channels)
    , frameCount(frames)
    , shortened(cutShort)
{
}

std::unique_ptr<bassDecoder> bassDecoder::open(std::unique_ptr<bassByteSource> bytes, const std::string& name)
{
    if (bassWavDecoder::recognises(*bytes))
        return bassWavDecoder::open(std::move(bytes), name);
    return bassMp3Decoder::open(std::move(bytes), name);
}
