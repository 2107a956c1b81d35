#include "bassSilentOutput.h"

#include "bassFrameSource.h"
#include "bassSteadyClock.h"

#include <algorithm>

namespace {

// 10 ms per pull: the position is interpolated between pulls anyway, so
// shorter periods only cost wake-ups.
constexpr int kPullsPerSecond = 100;

} // namespace

bassSilentOutput::bassSilentOutput(bassFrameSource& source, int rate, int channels)
    : source(source)
    , rate(rate)
    , periodFrames(std::max(1, rate / kPullsPerSecond))
    , buffer(static_cast<size_t>(periodFrames) * channels)
    , startTime(bassSteadyClock::now())
    , worker([this] { run(); })
{
}

bassSilentOutput::~bassSilentOutput()
{
    {
        std::lock_guard<std::mutex> lock(wakeMutex);
        stopRequested = true;
    }
    wake.notify_one();
    worker.join();
}

double bassSilentOutput::deadlineAfter(int64_t frames) const
{
    return startTime + static_cast<double>(frames / rate) + static_cast<double>(frames % rate) / rate;
}

void bassSilentOutput::run()
{
    int64_t pulled = 0;
    std::unique_lock<std::mutex> lock(wakeMutex);
    while (!stopRequested) {
        // Late wake-ups pull several periods at once, each stamped with the
        // time its sound card counterpart would have played it.
        lock.unlock();
        while (deadlineAfter(pulled) <= bassSteadyClock::now()) {
            source.render(buffer.data(), periodFrames, deadlineAfter(pulled));
            pulled += periodFrames;
        }
        lock.lock();
        wake.wait_until(lock, bassSteadyClock::toTimePoint(deadlineAfter(pulled)), [this] { return stopRequested; });
    }
}
