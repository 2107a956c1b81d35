#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where captured frames go. Nothing appears under the final name before
// Finish has succeeded; Abandon removes whatever is unfinished.
class FrameSink {
public:
    // What a frame is handed over as: 8-bit RGBA or BGRA with rows from the
    // top, or the planes of yuv420p in BT.709 at limited range
    // (vroYuvConverter).
    enum class Pixels { rgba, bgra, yuv420p };

    virtual ~FrameSink() = default;
    virtual Pixels takes() const = 0;
    // Frame `number` (the global frame number) as `takes` says; false, after
    // one line on standard error, when it cannot be written.
    virtual bool Write(long number, const std::vector<std::uint8_t>& pixels) = 0;
    virtual bool Finish() = 0;
    virtual void Abandon() = 0;
};
