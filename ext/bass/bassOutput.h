#pragma once

#include <memory>

class bassFrameSource;

// A running output for one stream. It pulls audio from its source from the
// moment it exists until it is destroyed; destruction waits for the last pull
// to end.
//
// One file per platform makes them: bassOutput.cpp on the desktop,
// bassOutputWeb.cpp in the browser.
class bassOutput {
public:
    virtual ~bassOutput() = default;

    // Desktop: the default sound device if `audible` and one opens, else the
    // silent output. Browser: Web Audio, muted unless `audible`. Null never.
    static std::unique_ptr<bassOutput> open(bool audible, bassFrameSource& source, int rate, int channels);

    // The source changed course (it plays, pauses or seeks). An output that
    // holds audio pulled but not yet heard drops it and pulls afresh, so the
    // change is heard at once; one that pulls only what is about to be heard
    // has nothing to do.
    virtual void sourceChanged() {}
};
