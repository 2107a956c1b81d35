#include "bass.h"

#include "bassLibrary.h"
#include "bassStream.h"

#include <cmath>
#include <cstdio>
#include <mutex>

namespace {

constexpr QWORD kNoPosition = ~QWORD{0};

using Lock = std::lock_guard<std::mutex>;

bassLibrary& library()
{
    return bassLibrary::instance();
}

} // namespace

BOOL BASS_Init(int device, DWORD, DWORD, void*, const void*)
{
    Lock lock(library().lock());
    return library().start(device) ? TRUE : FALSE;
}

BOOL BASS_Free(void)
{
    Lock lock(library().lock());
    return library().stop() ? TRUE : FALSE;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags)
{
    if (!file || offset != 0 || (mem && length == 0) || (!mem && length != 0)) {
        std::fprintf(stderr, "audio: only whole files, named by a path or in memory, can be opened\n");
        return 0;
    }
    if ((flags & ~DWORD{BASS_STREAM_DECODE}) != 0) {
        std::fprintf(stderr, "audio: unknown stream flags 0x%x\n", static_cast<unsigned>(flags));
        return 0;
    }
    Lock lock(library().lock());
    if (mem)
        return library().createStream(nullptr, file, length, flags);
    return library().createStream(static_cast<const char*>(file), nullptr, 0, flags);
}

BOOL BASS_StreamFree(HSTREAM handle)
{
    Lock lock(library().lock());
    return library().freeStream(handle) ? TRUE : FALSE;
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info)
{
    Lock lock(library().lock());
    return info && library().info(handle, *info) ? TRUE : FALSE;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length)
{
    constexpr DWORD kEnd = ~DWORD{0};
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    if (!stream || !stream->decodeOnly() || !buffer)
        return kEnd;
    const int64_t frames = stream->read(static_cast<int16_t*>(buffer), length / stream->frameBytes());
    return frames < 0 ? kEnd : static_cast<DWORD>(frames * stream->frameBytes());
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode)
{
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    if (!stream || mode != BASS_POS_BYTE)
        return kNoPosition;
    return static_cast<QWORD>(stream->length()) * stream->frameBytes();
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode)
{
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    if (!stream || mode != BASS_POS_BYTE)
        return kNoPosition;
    return static_cast<QWORD>(stream->position()) * stream->frameBytes();
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
{
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    if (!stream)
        return -1.0;
    return static_cast<double>(pos / stream->frameBytes()) / stream->rate();
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double pos)
{
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    if (!stream || !std::isfinite(pos))
        return kNoPosition;
    const long long frames = std::llround(pos * stream->rate());
    return static_cast<QWORD>(frames) * stream->frameBytes();
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode)
{
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    if (!stream || mode != BASS_POS_BYTE)
        return FALSE;
    const QWORD frame = pos / stream->frameBytes();
    if (frame > static_cast<QWORD>(stream->length()))
        return FALSE;
    return stream->seek(static_cast<int64_t>(frame)) ? TRUE : FALSE;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    return stream && stream->play(restart != FALSE) ? TRUE : FALSE;
}

BOOL BASS_ChannelPause(DWORD handle)
{
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    return stream && stream->pause() ? TRUE : FALSE;
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    if (!stream)
        return BASS_ACTIVE_STOPPED;
    switch (stream->state()) {
    case bassStream::State::Playing:
        return BASS_ACTIVE_PLAYING;
    case bassStream::State::Stalled:
        return BASS_ACTIVE_STALLED;
    case bassStream::State::Paused:
        return BASS_ACTIVE_PAUSED;
    case bassStream::State::Stopped:
        break;
    }
    return BASS_ACTIVE_STOPPED;
}

DWORD BASS_ChannelGetLevel(DWORD handle)
{
    Lock lock(library().lock());
    bassStream* stream = library().find(handle);
    if (!stream)
        return 0;
    int left = 0;
    int right = 0;
    stream->level(left, right);
    return static_cast<DWORD>(left) | (static_cast<DWORD>(right) << 16);
}
