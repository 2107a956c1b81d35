#pragma once

#include <cstdint>

// What an output pulls its audio from, on the output's own thread.
class bassFrameSource {
public:
    // Fill `frames` frames of interleaved 16-bit samples. `heardAt` is the
    // steady-clock time, in seconds, at which the first of them will be heard.
    // Must not block: no file access, no lock that another thread may hold.
    virtual void render(int16_t* out, int frames, double heardAt) = 0;

protected:
    ~bassFrameSource() = default;
};
