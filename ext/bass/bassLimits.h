#pragma once

#include <cstdint>

namespace bass_limits {

// The longest music a stream takes: the whole of it is held in memory, so a
// file that announces more (or decodes to more) is refused rather than
// allowed to ask for gigabytes.
constexpr int64_t kLongestSeconds = 3600;

inline int64_t longestStream(int64_t rate)
{
    return rate * kLongestSeconds;
}

} // namespace bass_limits
