#include "bassOutput.h"

#include "bassWebOutput.h"

std::unique_ptr<bassOutput> bassOutput::open(bool audible, bassFrameSource& source, int rate, int channels)
{
    return std::make_unique<bassWebOutput>(source, rate, channels, audible);
}
