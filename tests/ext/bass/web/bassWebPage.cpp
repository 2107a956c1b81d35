// The test page's program: the audio layer, with a few functions for the
// page's script to call (bassWebDriver.mjs drives it).
#include "bass.h"
#include "bassTuneDecode.h"

#include <emscripten.h>

namespace {

std::vector<int16_t> decoded;

} // namespace

extern "C" {

// Decodes the whole tune; where its samples are, pageDecodedBytes() long.
EMSCRIPTEN_KEEPALIVE const int16_t* pageDecode(const char* path)
{
    decoded = bass_testing::decodeTune(path).samples;
    return decoded.data();
}

EMSCRIPTEN_KEEPALIVE int pageDecodedBytes()
{
    return static_cast<int>(decoded.size() * sizeof(int16_t));
}

// Plays the tune from its start on the layer's sound output; its handle, 0
// when it does not open.
EMSCRIPTEN_KEEPALIVE HSTREAM pagePlay(const char* path)
{
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path, 0, 0, 0);
    return stream && BASS_ChannelPlay(stream, FALSE) ? stream : 0;
}

EMSCRIPTEN_KEEPALIVE BOOL pageFree(HSTREAM stream)
{
    return BASS_StreamFree(stream);
}

// The music time of the stream now, in seconds.
EMSCRIPTEN_KEEPALIVE double pagePosition(HSTREAM stream)
{
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
}

} // extern "C"

int main()
{
    BASS_Init(-1, 44100, 0, nullptr, nullptr);
    // The runtime stays up for the page's script after main returns.
    EM_ASM(Module['pageReady'] = true;);
    return 0;
}
