#include "bassWavDecoder.h"

#include "bass.h"
#include "bassByteSource.h"
#include "bassLimits.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint16_t kPcmFormat = 1;
constexpr int kHeaderBytes = 12;
constexpr int kChunkHeaderBytes = 8;
constexpr int kFormatBytes = 16;
constexpr uint32_t kLowestRate = 1000;
constexpr uint32_t kHighestRate = 384000;

uint16_t le16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t le32(const uint8_t* at)
{
    return static_cast<uint32_t>(le16(at)) | (static_cast<uint32_t>(le16(at + 2)) << 16);
}

void report(const std::string& name, const char* what)
{
    std::fprintf(stderr, "audio: \"%s\" %s\n", name.c_str(), what);
}

struct Format {
    uint32_t rate = 0;
    int channels = 0;
};

// The format chunk's content, or a rate of 0 when this layer cannot play it.
Format readFormat(bassByteSource& bytes, uint32_t size)
{
    uint8_t field[kFormatBytes];
    if (size < kFormatBytes || bytes.read(field, kFormatBytes) != kFormatBytes)
        return {};
    const uint16_t tag = le16(field);
    const uint16_t channels = le16(field + 2);
    const uint32_t rate = le32(field + 4);
    const uint16_t blockAlign = le16(field + 12);
    const uint16_t bits = le16(field + 14);
    const bool playable = tag == kPcmFormat && (channels == 1 || channels == 2) && bits == 16 &&
                          blockAlign == channels * 2 && rate >= kLowestRate && rate <= kHighestRate;
    if (!playable)
        return {};
    return {rate, channels};
}

// Moves past a chunk's content and its pad byte; false when the chunk claims
// more than the file holds.
bool skipChunk(bassByteSource& bytes, int64_t start, uint32_t size)
{
    const int64_t fileSize = static_cast<int64_t>(bytes.size());
    if (start + size > fileSize)
        return false;
    return bytes.seek(std::min<int64_t>(start + size + (size & 1), fileSize), SEEK_SET) >= 0;
}

} // namespace

bool bassWavDecoder::recognises(bassByteSource& bytes)
{
    uint8_t header[kHeaderBytes];
    const bool riff = bytes.read(header, kHeaderBytes) == kHeaderBytes && std::memcmp(header, "RIFF", 4) == 0 &&
                      std::memcmp(header + 8, "WAVE", 4) == 0;
    bytes.seek(0, SEEK_SET);
    return riff;
}

std::unique_ptr<bassDecoder> bassWavDecoder::open(std::unique_ptr<bassByteSource> bytes, const std::string& name)
{
    Format format;
    uint32_t dataSize = 0;
    bytes->seek(kHeaderBytes, SEEK_SET);
    for (;;) {
        uint8_t header[kChunkHeaderBytes];
        if (bytes->read(header, kChunkHeaderBytes) != kChunkHeaderBytes) {
            report(name, "has no data chunk");
            return nullptr;
        }
        const uint32_t size = le32(header + 4);
        const int64_t start = bytes->seek(0, SEEK_CUR);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            format = readFormat(*bytes, size);
            if (format.rate == 0) {
                report(name, "is not 16-bit PCM in mono or stereo");
                return nullptr;
            }
        } else if (std::memcmp(header, "data", 4) == 0) {
            dataSize = size;
            break;
        }
        if (!skipChunk(*bytes, start, size)) {
            report(name, "has a chunk that runs past its end");
            return nullptr;
        }
    }
    if (format.rate == 0) {
        report(name, "has its data before its format");
        return nullptr;
    }
    const int64_t frameBytes = 2 * format.channels;
    const int64_t announced = dataSize / frameBytes;
    const int64_t there = (static_cast<int64_t>(bytes->size()) - bytes->seek(0, SEEK_CUR)) / frameBytes;
    const int64_t frames = std::min(announced, there);
    if (frames <= 0) {
        report(name, "holds no samples");
        return nullptr;
    }
    if (frames > bass_limits::longestStream(format.rate)) {
        report(name, "is too long to play");
        return nullptr;
    }
    return std::unique_ptr<bassDecoder>(new bassWavDecoder(std::move(bytes), static_cast<int>(format.rate),
                                                           format.channels, frames, there < announced));
}

bassWavDecoder::bassWavDecoder(std::unique_ptr<bassByteSource> source, int rate, int channels, int64_t frames,
                               bool cutShort)
    : bassDecoder(rate, channels, frames, cutShort)
    , bytes(std::move(source))
{
}

uint32_t bassWavDecoder::type() const
{
    return BASS_CTYPE_STREAM_WAV;
}

int64_t bassWavDecoder::read(int16_t* out, int64_t count)
{
    const int64_t frameBytes = 2 * channels();
    const int64_t got = bytes->read(out, static_cast<uint64_t>(count * frameBytes));
    if (got <= 0)
        return 0;
    const int64_t frames = got / frameBytes;
    // The file is little-endian whatever the machine.
    uint8_t* raw = reinterpret_cast<uint8_t*>(out);
    for (int64_t i = 0; i < frames * channels(); ++i)
        out[i] = static_cast<int16_t>(le16(raw + 2 * i));
    return frames;
}
