#include "bassLibrary.h"

#include "bassByteSource.h"
#include "bassDecodedTrack.h"
#include "bassDecoder.h"
#include "bassSoundSystem.h"
#include "bassStream.h"

#include <cstdio>

namespace {

// How messages name a stream opened from memory.
constexpr const char* kMemoryName = "(memory)";

// Said once per process, however often the layer is started.
void reportSilence(const char* reason)
{
    static bool reported = false;
    if (reported)
        return;
    reported = true;
    std::fprintf(stderr, "audio: %s, playing silently\n", reason);
}

} // namespace

bassLibrary& bassLibrary::instance()
{
    static bassLibrary library;
    return library;
}

bool bassLibrary::openSoundSystem()
{
    const char* missing = bassSoundSystem::open();
    if (missing)
        reportSilence(missing);
    return !missing;
}

bool bassLibrary::start(int device)
{
    if (started)
        return false;
    started = true;
    audible = device != 0 && openSoundSystem();
    return true;
}

bool bassLibrary::stop()
{
    if (!started)
        return false;
    streams.clear();
    if (audible)
        bassSoundSystem::close();
    started = false;
    audible = false;
    return true;
}

HSTREAM bassLibrary::createStream(const char* path, const void* memory, uint64_t size, DWORD flags)
{
    const std::string name = memory ? kMemoryName : path;
    if (!started) {
        std::fprintf(stderr, "audio: cannot open \"%s\" before the audio layer is started\n", name.c_str());
        return 0;
    }
    std::unique_ptr<bassByteSource> bytes =
        memory ? bassByteSource::inMemory(memory, size) : bassByteSource::openFile(path);
    if (!bytes) {
        std::fprintf(stderr, "audio: cannot open \"%s\"\n", name.c_str());
        return 0;
    }
    std::unique_ptr<bassDecoder> decoder = bassDecoder::open(std::move(bytes), name);
    if (!decoder)
        return 0;
    const bool decodeOnly = (flags & BASS_STREAM_DECODE) != 0;
    std::unique_ptr<bassDecodedTrack> track = bassDecodedTrack::open(
        std::move(decoder), name, decodeOnly ? bassDecodedTrack::Mode::OnDemand : bassDecodedTrack::Mode::Background);
    if (!track)
        return 0;
    const bassStream::Output output = decodeOnly ? bassStream::Output::None
                                      : audible  ? bassStream::Output::Device
                                                 : bassStream::Output::Silent;
    const HSTREAM handle = ++lastHandle;
    streams.emplace(handle, Entry{std::make_unique<bassStream>(std::move(track), output), flags, memory ? "" : path});
    return handle;
}

bool bassLibrary::freeStream(HSTREAM handle)
{
    return streams.erase(handle) == 1;
}

bassStream* bassLibrary::find(DWORD handle)
{
    const auto found = streams.find(handle);
    return found == streams.end() ? nullptr : found->second.stream.get();
}

bool bassLibrary::info(DWORD handle, BASS_CHANNELINFO& info)
{
    const auto found = streams.find(handle);
    if (found == streams.end())
        return false;
    const Entry& entry = found->second;
    info = BASS_CHANNELINFO{};
    info.freq = static_cast<DWORD>(entry.stream->rate());
    info.chans = static_cast<DWORD>(entry.stream->channels());
    info.flags = entry.flags;
    info.ctype = entry.stream->type();
    info.origres = 16;
    info.filename = entry.path.empty() ? nullptr : entry.path.c_str();
    return true;
}
