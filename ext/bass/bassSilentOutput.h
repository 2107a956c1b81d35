#pragma once

#include "bassOutput.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// An output without a device: a thread that pulls audio at the rate a sound
// card would and throws it away. It wakes on absolute deadlines derived from
// the frame count, so it neither drifts nor gathers rounding error.
class bassSilentOutput : public bassOutput {
public:
    bassSilentOutput(bassFrameSource& source, int rate, int channels);
    ~bassSilentOutput() override;

    bassSilentOutput(const bassSilentOutput&) = delete;
    bassSilentOutput& operator=(const bassSilentOutput&) = delete;

private:
    void run();
    double deadlineAfter(int64_t frames) const;

    bassFrameSource& source;
    int rate;
    int periodFrames;
    std::vector<int16_t> buffer;
    double startTime;
    std::mutex wakeMutex;
    std::condition_variable wake;
    bool stopRequested = false;
    std::thread worker;
};
