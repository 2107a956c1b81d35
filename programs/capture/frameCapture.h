#pragma once

#include "frameRange.h"
#include "vroShow.h"

#include <csignal>

class FrameSink;
class PartStats;

// A production drawn frame by frame on a hidden window at fixed music
// times: for frame n the paused music is set to the sample nearest n / fps
// and the clock is held at that position, so that the sync row, every track
// value and "uTime" follow from it exactly, and two captures agree byte for
// byte. Frames are read back through a ring of pixel buffers while the next
// one draws, as the sink takes them: RGBA, BGRA, or converted on the GPU to
// yuv420p.
class FrameCapture {
public:
    FrameCapture(const vroDeclaration& declaration, const vroShow::Factory& create, int width, int height);

    // Draws every frame of the range into the sink, with progress on standard
    // error; false when the sink failed or `stop` was raised.
    bool Run(const FrameRange& range, FrameSink& sink, PartStats* stats, const volatile std::sig_atomic_t& stop);

private:
    // The frame at music time `seconds`, drawn into the window's back buffer.
    void drawFrame(double seconds);
    // Run with a vroFrameReader or a vroYuvConverter, whichever the sink takes.
    template <class ReadBack>
    bool runWith(ReadBack& reader, const FrameRange& range, FrameSink& sink, PartStats* stats,
                 const volatile std::sig_atomic_t& stop);

    vroShow show;
    int width;
    int height;
};
