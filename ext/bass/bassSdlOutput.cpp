#include "bassSdlOutput.h"

#include "bassFrameSource.h"
#include "bassSteadyClock.h"

#include <SDL2/SDL.h>

#include <cstring>

namespace {

// About 12 ms at 44.1 kHz: short enough for a prompt start and seek.
constexpr Uint16 kRequestFrames = 512;

// Drivers that consume a buffer while the next is asked for, as opposed to
// sound cards, which still have about one buffer queued when they ask.
bool consumesWhileAsking(const char* driver)
{
    return driver && (std::strcmp(driver, "disk") == 0 || std::strcmp(driver, "dummy") == 0);
}

} // namespace

bassSdlOutput::bassSdlOutput(bassFrameSource& source)
    : source(source)
{
}

std::unique_ptr<bassSdlOutput> bassSdlOutput::open(bassFrameSource& source, int rate, int channels, std::string& error)
{
    std::unique_ptr<bassSdlOutput> output(new bassSdlOutput(source));
    SDL_AudioSpec wanted{};
    wanted.freq = rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(channels);
    wanted.samples = kRequestFrames;
    wanted.callback = &bassSdlOutput::pull;
    wanted.userdata = output.get();
    SDL_AudioSpec obtained{};
    output->device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (output->device == 0) {
        error = SDL_GetError();
        return nullptr;
    }
    output->frameBytes = static_cast<int>(sizeof(int16_t)) * channels;
    output->latency = consumesWhileAsking(SDL_GetCurrentAudioDriver())
                          ? 0.0
                          : static_cast<double>(obtained.samples) / obtained.freq;
    // The device runs from now on; pausing is the source's business, so
    // nobody needs SDL's device lock while music plays.
    SDL_PauseAudioDevice(output->device, 0);
    return output;
}

bassSdlOutput::~bassSdlOutput()
{
    SDL_CloseAudioDevice(device);
}

void SDLCALL bassSdlOutput::pull(void* self, Uint8* stream, int length)
{
    auto* output = static_cast<bassSdlOutput*>(self);
    output->source.render(reinterpret_cast<int16_t*>(stream), length / output->frameBytes,
                          bassSteadyClock::now() + output->latency);
}
