#pragma once

#include <cstdint>

// What the output thread last did for a stream: from which frame it handed
// out audio, when that audio starts to be heard, and how far it reached.
// Between two anchors the heard position runs on in proportion to time.
struct bassAnchor {
    uint64_t command = 0;     // the player command this output acted on
    int64_t frame = 0;        // first frame handed out
    double time = 0.0;        // steady-clock seconds at which `frame` is heard
    double period = 0.0;      // seconds that `bufferFrames` take to be heard
    int32_t bufferFrames = 0; // size of the output's request
    int32_t delivered = 0;    // music frames handed out, the rest was silence
    bool stalled = false;     // the decoder had not reached the frames asked for
};
