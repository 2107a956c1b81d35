#pragma once

#include <memory>

class bassFrameSource;

// A running output for one stream. It pulls audio from its source from the
// moment it exists until it is destroyed; destruction waits for the last pull
// to end.
class bassOutput {
public:
    virtual ~bassOutput() = default;

    // The default sound device if `audible` and one opens, else the silent
    // output. Null never.
    static std::unique_ptr<bassOutput> open(bool audible, bassFrameSource& source, int rate, int channels);
};
