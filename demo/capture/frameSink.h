#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where captured frames go. Nothing appears under the final name before
// Finish has succeeded; Abandon removes whatever is unfinished.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Frame `number` (the global frame number), 8-bit RGBA with rows from the
    // top; false, after one line on standard error, when it cannot be written.
    virtual bool Write(long number, const std::vector<std::uint8_t>& rgba) = 0;
    virtual bool Finish() = 0;
    virtual void Abandon() = 0;
};
