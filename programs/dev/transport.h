#pragma once

#include <optional>

class vroEngine;

// Where the music plays and whether it does: seeks on the beat grid of
// kakRowRate (8 rows a beat, 4 beats a bar) and to changes of the "part"
// track, pause, a loop of whole bars, and holding the last frame when the
// music ends. Every move re-bases the clock, so the next frame's row and
// "uTime" follow it at once.
class Transport {
public:
    static constexpr int kRowsPerBeat = 8;
    static constexpr int kRowsPerBar = 32;

    explicit Transport(vroEngine& engine);

    // Records the frame's row (the engine's IsRunning does the same), wraps a
    // loop and holds the end. Called once per frame before drawing.
    void BeginFrame();

    void TogglePause();
    void StepBeats(int beats);
    void StepBars(int bars);
    // To the next (+1) or previous (-1) change of the "part" track.
    void StepPart(int direction);
    void Home();
    void SeekSeconds(double seconds);
    void SeekRow(double row);
    // Loop start at the current bar, then loop end after it, then no loop.
    void MarkLoop();

    bool isPaused() const { return paused; }
    bool hasEnded() const { return ended; }
    double getRow() const { return row; }
    std::optional<int> getLoopStartBar() const;
    std::optional<int> getLoopEndBar() const;

private:
    void seekTo(double seconds);
    void rebaseClock();
    double secondsOfRow(double row) const;

    vroEngine& engine;
    double row = 0.0;
    bool paused = false;
    bool ended = false;
    std::optional<int> loopStartBar;
    std::optional<int> loopEndBar;
};
