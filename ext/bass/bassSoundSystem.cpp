#include "bassSoundSystem.h"

#include <SDL2/SDL.h>

// Without a sound card ALSA prints a screenful when a device is opened; the
// device count comes first and is quiet.
const char* bassSoundSystem::open()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return "no sound system";
    if (SDL_GetNumAudioDevices(0) == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return "no sound device";
    }
    return nullptr;
}

void bassSoundSystem::close()
{
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
