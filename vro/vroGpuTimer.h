#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "vroGL.h"

// GPU time of spans of GL work, from pairs of timestamp queries, read back
// without stalling the pipeline: a span's result is there a frame or two
// after it ended. Spans follow one another, one open at a time, and come out
// in the order they were begun.
//
// Mesa's software renderer takes a timestamp when the command is handed to
// its rasteriser threads, not when they get to it: a span covers the
// rendering that the driver had to finish within it (a target drawn and then
// sampled by a later pass) and misses what was still queued at its end.
// Measured there: 1-3 ms for a lone draw that took 500 ms to finish.
class vroGpuTimer {
public:
    struct Span {
        uint64_t number;
        double seconds;
    };

    // `spans` query pairs in a ring: how many spans may wait for their
    // results before Begin has to wait for the oldest.
    explicit vroGpuTimer(int spans = 4);
    ~vroGpuTimer();

    vroGpuTimer(const vroGpuTimer&) = delete;
    vroGpuTimer& operator=(const vroGpuTimer&) = delete;

    // Starts a span and returns its number: 0, 1, 2, ... When every pair is
    // in use it first waits for the oldest result and keeps it.
    uint64_t Begin();
    void End();
    // The oldest span whose result is available, if any; never waits.
    std::optional<Span> nextFinished();

private:
    GLuint startQuery(uint64_t number) const;
    GLuint endQuery(uint64_t number) const;
    Span collect(uint64_t number) const;

    std::vector<GLuint> queries; // start and end of each slot
    std::deque<Span> collected;  // results Begin had to wait for
    uint64_t begun = 0;          // spans begun so far
    uint64_t oldest = 0;         // the oldest span not yet collected
    bool open = false;
};
