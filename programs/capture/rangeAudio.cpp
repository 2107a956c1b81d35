#include "rangeAudio.h"

#include "outputFiles.h"
#include "vroProcessPlatform.h"

#include "bass.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The RIFF size, 36 bytes of header more than the data, is a 32-bit number.
constexpr QWORD kLargestWavData = 0xffffffffu - 36;

void putLittleEndian(std::FILE* file, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xff), file);
}

void writeWavHeader(std::FILE* file, const BASS_CHANNELINFO& info, std::uint32_t dataBytes)
{
    const std::uint32_t blockAlign = info.chans * 2;
    std::fputs("RIFF", file);
    putLittleEndian(file, 36 + dataBytes, 4);
    std::fputs("WAVEfmt ", file);
    putLittleEndian(file, 16, 4);
    putLittleEndian(file, 1, 2); // PCM
    putLittleEndian(file, info.chans, 2);
    putLittleEndian(file, info.freq, 4);
    putLittleEndian(file, info.freq * blockAlign, 4);
    putLittleEndian(file, blockAlign, 2);
    putLittleEndian(file, 16, 2);
    std::fputs("data", file);
    putLittleEndian(file, dataBytes, 4);
}

} // namespace

RangeAudio::RangeAudio(const std::string& tune) : tune(tune)
{
    // Device 0 plays nothing; decoding needs no more. A layer already started
    // by an engine is used as it is.
    initialised = BASS_Init(0, 44100, 0, nullptr, nullptr) != 0;
    // A file that cannot be opened or decoded is named by the layer itself.
    stream = BASS_StreamCreateFile(FALSE, tune.c_str(), 0, 0, BASS_STREAM_DECODE);
}

RangeAudio::~RangeAudio()
{
    if (stream != 0)
        BASS_StreamFree(stream);
    if (initialised)
        BASS_Free();
}

double RangeAudio::lengthSeconds() const
{
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetLength(stream, BASS_POS_BYTE));
}

bool RangeAudio::WriteWav(const FrameRange& range, const std::filesystem::path& path)
{
    BASS_CHANNELINFO info{};
    BASS_ChannelGetInfo(stream, &info);
    const QWORD start = BASS_ChannelSeconds2Bytes(stream, range.seconds(range.first));
    const QWORD end = BASS_ChannelSeconds2Bytes(stream, range.seconds(range.end));
    // The last frame at a very low rate lasts long past the tune; its
    // silence must still fit the header's 32-bit sizes.
    if (end - start > kLargestWavData) {
        std::fprintf(stderr, "capture: the range's music, %.3f s with its last frame, is more than a WAV file holds\n",
                     range.seconds(range.end) - range.seconds(range.first));
        return false;
    }
    const auto total = static_cast<std::uint32_t>(end - start);
    if (!BASS_ChannelSetPosition(stream, start, BASS_POS_BYTE)) {
        std::fprintf(stderr, "capture: cannot seek the music \"%s\" to %.6f s\n", tune.c_str(),
                     range.seconds(range.first));
        return false;
    }

    const std::filesystem::path partial = temporaryBeside(path, "capture");
    std::FILE* file = vroProcessPlatform::OpenFile(partial, "wb");
    if (!file) {
        std::fprintf(stderr, "capture: cannot write \"%s\"\n", path.u8string().c_str());
        return false;
    }
    writeWavHeader(file, info, total);
    // The tune may end a sample short of the last frame's time: silence
    // fills up to the video's length.
    std::vector<char> block(1 << 16);
    std::uint32_t written = 0;
    while (written < total) {
        const DWORD want = std::min<std::uint32_t>(static_cast<std::uint32_t>(block.size()), total - written);
        DWORD got = BASS_ChannelGetData(stream, block.data(), want);
        if (got == static_cast<DWORD>(-1) || got == 0) {
            std::fill_n(block.begin(), want, 0);
            got = want;
        }
        std::fwrite(block.data(), 1, got, file);
        written += got;
    }
    const bool writeFailed = std::ferror(file) != 0;
    const bool closeFailed = std::fclose(file) != 0;
    std::error_code failed;
    if (writeFailed || closeFailed || (std::filesystem::rename(partial, path, failed), failed)) {
        std::filesystem::remove(partial, failed);
        std::fprintf(stderr, "capture: cannot write \"%s\"\n", path.u8string().c_str());
        return false;
    }
    return true;
}
