#pragma once

#include <cstdint>

// What an output plays: pulled in periods on the output's own thread
// (render), or, by an output whose device plays from memory on a thread the
// layer does not run (the browser's audio thread), taken whole at once
// (course, wholeMusic, heardFrom).
class bassFrameSource {
public:
    // Fill `frames` frames of interleaved 16-bit samples. `heardAt` is the
    // steady-clock time, in seconds, at which the first of them will be heard.
    // Must not block: no file access, no lock that another thread may hold.
    virtual void render(int16_t* out, int frames, double heardAt) = 0;

    // The player's last command: from which frame, playing or held. Commands
    // are told apart by `command`, which changes with each.
    struct Course {
        uint64_t command;
        int64_t frame;
        bool playing;
    };
    virtual Course course() = 0;
    // All of the music, decoded (what is not yet is decoded now), in
    // interleaved 16-bit samples; its length in frames goes to `frames`.
    virtual const int16_t* wholeMusic(int64_t& frames) = 0;
    // The output's answer to `command`: `frame` is heard at steady-clock
    // time `heardAt`, and the music runs on from there at its own rate to its
    // end. Called again whenever the output's clock has moved.
    virtual void heardFrom(uint64_t command, int64_t frame, double heardAt) = 0;

protected:
    ~bassFrameSource() = default;
};
