#include "bassSoundSystem.h"

#include <emscripten.h>

namespace {

EM_JS(int, bass_web_audio_present, (), {
    return typeof AudioContext !== 'undefined' ? 1 : 0;
});

} // namespace

// The audio context itself is made with the first stream, at the stream's
// rate (bassWebOutput); without Web Audio the streams' time runs silently.
const char* bassSoundSystem::open()
{
    return bass_web_audio_present() ? nullptr : "no Web Audio in this browser";
}

void bassSoundSystem::close()
{
}
