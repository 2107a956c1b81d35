#pragma once

#include "bassOutput.h"

#include <cstdint>
#include <vector>

// Web Audio in the browser, with no thread: a timer on the page's thread
// pulls the music in chunks and queues each as a buffer that Web Audio starts
// at an exact time of the audio clock, back to back, half a second ahead of
// what is heard. Each chunk is stamped with the steady-clock time at which it
// will be heard, read from the audio clock, so the stream's position follows
// the audio clock and runs smoothly between pulls.
//
// All streams share one audio context, made with the first stream at its
// rate, so that a stream of that rate is not resampled. The context runs from
// the start where the browser lets pages play sound at once; otherwise it is
// resumed by the page's first click, tap or key press: a page's own start
// prompt is enough. Until it runs, nothing is pulled and the position holds.
class bassWebOutput : public bassOutput {
public:
    // Muted unless `audible`; the clock runs either way.
    bassWebOutput(bassFrameSource& source, int rate, int channels, bool audible);
    ~bassWebOutput() override;

    bassWebOutput(const bassWebOutput&) = delete;
    bassWebOutput& operator=(const bassWebOutput&) = delete;

    void sourceChanged() override;

private:
    static void tick(void* self);
    void fill();
    double queueEnd() const;

    bassFrameSource& source;
    int rate;
    int player;
    long timer;
    std::vector<int16_t> chunk;
    bool queueing = false;
    double queueStart = 0.0;  // audio-clock seconds at which the queue began
    int64_t queuedFrames = 0; // frames queued since then
};
