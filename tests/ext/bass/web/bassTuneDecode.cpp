#include "bassTuneDecode.h"

#include "bass.h"

namespace bass_testing {

DecodedTune decodeTune(const char* path)
{
    DecodedTune tune;
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path, 0, 0, BASS_STREAM_DECODE);
    BASS_CHANNELINFO info{};
    if (!stream || !BASS_ChannelGetInfo(stream, &info))
        return tune;
    tune.rate = static_cast<int>(info.freq);
    tune.channels = static_cast<int>(info.chans);
    tune.samples.resize(BASS_ChannelGetLength(stream, BASS_POS_BYTE) / sizeof(int16_t));
    const DWORD bytes = BASS_ChannelGetData(stream, tune.samples.data(),
                                            static_cast<DWORD>(tune.samples.size() * sizeof(int16_t)));
    tune.samples.resize(bytes == ~DWORD{0} ? 0 : bytes / sizeof(int16_t));
    BASS_StreamFree(stream);
    return tune;
}

} // namespace bass_testing
