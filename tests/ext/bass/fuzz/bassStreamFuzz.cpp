// libFuzzer target: any bytes opened as a music stream from memory (MP3
// through libmpg123, or WAV) and decoded to the end with a decode-only
// stream, which opens no output and starts no thread. Built and run by
// scripts/fuzz (see fuzz-target); the replay test runs the kept inputs.
//
// Beyond what the sanitizers catch, every stream that opens must be
// consistent: whole frames, the position never past the length, and reading
// ends exactly at the length, which never grows.

#include "bass.h"

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The silent layer: without a sound system nothing is opened per input.
    static const bool started = BASS_Init(0, 44100, 0, nullptr, nullptr) != FALSE;
    require(started);
    if (size == 0)
        return 0;
    const HSTREAM stream = BASS_StreamCreateFile(TRUE, data, 0, size, BASS_STREAM_DECODE);
    if (stream == 0)
        return 0;

    BASS_CHANNELINFO info;
    require(BASS_ChannelGetInfo(stream, &info) != FALSE);
    require(info.chans == 1 || info.chans == 2);
    const QWORD frameBytes = 2 * info.chans;
    const QWORD announced = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
    require(announced > 0 && announced % frameBytes == 0);

    // An odd size: reads must still come in whole frames.
    static char buffer[8191];
    QWORD total = 0;
    DWORD got = 0;
    while ((got = BASS_ChannelGetData(stream, buffer, sizeof buffer)) != ~DWORD{0}) {
        require(got % frameBytes == 0 && got <= sizeof buffer);
        total += got;
        require(total <= announced);
    }
    const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
    require(total == length && length <= announced);
    require(BASS_ChannelGetPosition(stream, BASS_POS_BYTE) == length);

    // Back to the middle: the same bytes decode again without trouble.
    require(BASS_ChannelSetPosition(stream, length / frameBytes / 2 * frameBytes, BASS_POS_BYTE) != FALSE);
    require(BASS_ChannelGetData(stream, buffer, sizeof buffer) != 0);
    require(BASS_StreamFree(stream) != FALSE);
    return 0;
}
