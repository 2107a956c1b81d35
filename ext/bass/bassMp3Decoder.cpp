#include "bassMp3Decoder.h"

#include "bass.h"
#include "bassByteSource.h"
#include "bassLimits.h"

#include <mpg123.h>

#include <cstdio>
#include <mutex>

namespace {

// Samples per frame of MPEG-1 layer II and III, the longest MPEG audio frame.
constexpr off_t kLongestFrame = 1152;

struct DecoderDeleter {
    void operator()(mpg123_handle* h) const { mpg123_delete(h); }
};
using DecoderPtr = std::unique_ptr<mpg123_handle, DecoderDeleter>;

void report(const char* what, const std::string& name)
{
    std::fprintf(stderr, "audio: %s \"%s\"\n", what, name.c_str());
}

mpg123_ssize_t readBytes(void* source, void* out, size_t bytes)
{
    return static_cast<mpg123_ssize_t>(static_cast<bassByteSource*>(source)->read(out, bytes));
}

off_t seekBytes(void* source, off_t offset, int whence)
{
    return static_cast<off_t>(static_cast<bassByteSource*>(source)->seek(offset, whence));
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

std::unique_ptr<bassDecoder> bassMp3Decoder::open(std::unique_ptr<bassByteSource> bytes, const std::string& name)
{
    DecoderPtr decoder = newDecoder();
    if (!decoder) {
        report("cannot start the decoder for", name);
        return nullptr;
    }
    if (mpg123_replace_reader_handle(decoder.get(), readBytes, seekBytes, nullptr) != MPG123_OK ||
        mpg123_open_handle(decoder.get(), bytes.get()) != MPG123_OK) {
        report("cannot open", name);
        return nullptr;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(decoder.get(), &rate, &channels, &encoding) != MPG123_OK) {
        report("cannot decode", name);
        return nullptr;
    }
    // Pin the format: a later frame in another layout is converted, so the
    // samples keep one layout throughout.
    mpg123_format_none(decoder.get());
    mpg123_format(decoder.get(), rate, channels, MPG123_ENC_SIGNED_16);

    const off_t announced = announcedLength(decoder.get());
    if (mpg123_scan(decoder.get()) != MPG123_OK) {
        report("cannot decode", name);
        return nullptr;
    }
    const off_t frames = mpg123_length(decoder.get());
    if (frames <= 0 || mpg123_seek(decoder.get(), 0, SEEK_SET) != 0) {
        report("cannot decode", name);
        return nullptr;
    }
    if (frames > bass_limits::longestStream(rate)) {
        std::fprintf(stderr, "audio: \"%s\" is too long to play\n", name.c_str());
        return nullptr;
    }
    // The header's count and the scan's may differ by a few samples of
    // encoder bookkeeping; a missing frame is more than that. A cut last
    // frame makes the decoder give up the header's count altogether and
    // keep the encoder's padding: then the scan finds more than announced.
    const bool cutShort = announced > 0 && (announced - frames > kLongestFrame || frames > announced);
    return std::unique_ptr<bassDecoder>(new bassMp3Decoder(std::move(bytes), decoder.release(), static_cast<int>(rate),
                                                           channels, frames, cutShort));
}

bassMp3Decoder::bassMp3Decoder(std::unique_ptr<bassByteSource> source, mpg123_handle_struct* decoder, int rate,
                               int channels, int64_t frames, bool cutShort)
    : bassDecoder(rate, channels, frames, cutShort)
    , bytes(std::move(source))
    , decoder(decoder)
{
}

bassMp3Decoder::~bassMp3Decoder()
{
    mpg123_delete(decoder);
}

uint32_t bassMp3Decoder::type() const
{
    return BASS_CTYPE_STREAM_MP3;
}

int64_t bassMp3Decoder::read(int16_t* out, int64_t count)
{
    const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(channels());
    int64_t done = 0;
    while (done < count && !ended) {
        size_t bytes = 0;
        const int result = mpg123_read(decoder, out + done * channels(), static_cast<size_t>(count - done) * frameBytes,
                                       &bytes);
        done += static_cast<int64_t>(bytes / frameBytes);
        // A read that gives nothing and no reason is taken as the end too,
        // so that no input can keep this loop going.
        ended = (result != MPG123_OK && result != MPG123_NEW_FORMAT) || (result == MPG123_OK && bytes == 0);
    }
    return done;
}
