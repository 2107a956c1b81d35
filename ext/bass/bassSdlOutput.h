#pragma once

#include "bassOutput.h"

#include <SDL2/SDL_audio.h>

#include <memory>
#include <string>

// The default SDL2 sound device, opened in the stream's own format (SDL
// converts to whatever the device takes). SDL's thread pulls from the source.
class bassSdlOutput : public bassOutput {
public:
    // Null, with SDL's reason in `error`, when no device opens. SDL's audio
    // subsystem must be running.
    static std::unique_ptr<bassSdlOutput> open(bassFrameSource& source, int rate, int channels, std::string& error);
    ~bassSdlOutput() override;

    bassSdlOutput(const bassSdlOutput&) = delete;
    bassSdlOutput& operator=(const bassSdlOutput&) = delete;

private:
    explicit bassSdlOutput(bassFrameSource& source);
    static void SDLCALL pull(void* self, Uint8* stream, int length);

    bassFrameSource& source;
    SDL_AudioDeviceID device = 0;
    int frameBytes = 0;
    double latency = 0.0;
};
