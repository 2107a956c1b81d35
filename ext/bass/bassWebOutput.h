#pragma once

#include "bassOutput.h"

#include <cstdint>

// Web Audio in the browser, played on the browser's own audio thread: the
// whole music, decoded, is one AudioBuffer, and playing starts one source
// node at an exact time of the audio clock from the stream's frame. Nothing
// on the page's thread feeds it, so a busy or hidden page leaves no gap.
//
// The position follows the music clock: the audio clock paired with the
// steady clock (performance.now()). The browser's own pairing
// (getOutputTimestamp) is used while it agrees with currentTime and keeps
// pace with performance.now(); otherwise currentTime and the output latency
// stand in. A timer on the page's thread re-anchors the stream when the
// pairing moves; while it does not run, the position runs on from the last.
//
// All streams share one audio context, made with the first stream at its
// rate, so that a stream of that rate is not resampled; it is resumed by the
// page's first click, tap or key press, and when a stream plays. A context
// that does not run within a short time of playing (no sound device) leaves
// the music to the page's own clock, silently, said once on standard error;
// it is played from where that clock has got to when the context starts.
class bassWebOutput : public bassOutput {
public:
    // Muted unless `audible`; the clock runs either way.
    bassWebOutput(bassFrameSource& source, int rate, int channels, bool audible);
    ~bassWebOutput() override;

    bassWebOutput(const bassWebOutput&) = delete;
    bassWebOutput& operator=(const bassWebOutput&) = delete;

    void sourceChanged() override;

private:
    // Which clock the music plays on for the present command.
    enum class Clock { Waiting, Audio, Page };

    static void tick(void* self);
    void follow();
    // From `frame`, or from where the page's clock has got to when it plays on it.
    void startOnAudio(int64_t frame);
    // `contextWaits`: there is a context, it does not run (said once).
    void startOnPage(int64_t frame, double now, bool contextWaits);
    void anchor(double heardAt);

    bassFrameSource& source;
    int rate;
    int player;
    long timer;
    uint64_t command = 0;
    Clock clock = Clock::Waiting;
    double waitEnds = 0.0;   // steady-clock seconds: past this, the page's clock
    int64_t fromFrame = 0;   // the frame played from
    double fromTime = 0.0;   // when it is played: audio-clock seconds, or steady-clock ones on the page's clock
    double heardAt = 0.0;    // steady-clock seconds at which fromFrame is heard, as last anchored
};
