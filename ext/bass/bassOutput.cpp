#include "bassOutput.h"

#include "bassSdlOutput.h"
#include "bassSilentOutput.h"

#include <cstdio>
#include <string>

std::unique_ptr<bassOutput> bassOutput::open(bool audible, bassFrameSource& source, int rate, int channels)
{
    if (audible) {
        std::string error;
        if (auto device = bassSdlOutput::open(source, rate, channels, error))
            return device;
        std::fprintf(stderr, "audio: cannot open the sound device (%s), playing silently\n", error.c_str());
    }
    return std::make_unique<bassSilentOutput>(source, rate, channels);
}
