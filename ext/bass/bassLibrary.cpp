#include "bassLibrary.h"

#include "bassDecodedTrack.h"
#include "bassStream.h"

#include <SDL2/SDL.h>

#include <cstdio>

namespace {

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

// Without a sound card ALSA prints a screenful when a device is opened; the
// device count comes first and is quiet.
bool bassLibrary::openSoundSystem()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reportSilence("no sound system");
        return false;
    }
    if (SDL_GetNumAudioDevices(0) == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        reportSilence("no sound device");
        return false;
    }
    return true;
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
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    started = false;
    audible = false;
    return true;
}

HSTREAM bassLibrary::createStream(const std::string& path)
{
    if (!started) {
        std::fprintf(stderr, "audio: cannot open \"%s\" before the audio layer is started\n", path.c_str());
        return 0;
    }
    std::unique_ptr<bassDecodedTrack> track = bassDecodedTrack::open(path);
    if (!track)
        return 0;
    const HSTREAM handle = ++lastHandle;
    streams.emplace(handle, std::make_unique<bassStream>(std::move(track), audible));
    return handle;
}

bassStream* bassLibrary::find(DWORD handle)
{
    const auto found = streams.find(handle);
    return found == streams.end() ? nullptr : found->second.get();
}
