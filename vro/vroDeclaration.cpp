#include "vroDeclaration.h"

#include <cmath>

const char* vroDeclaration::partName(float value) const
{
    // A value beyond int, such as 1e30 in the track text, picks no part.
    if (const std::optional<int> index = truncateTrackValue(value))
        for (const Part& part : parts)
            if (part.value == *index)
                return part.name.c_str();
    return "background";
}

std::optional<int> truncateTrackValue(float value)
{
    // 2^31 is exactly representable: floats in [-2^31, 2^31) truncate into
    // range, and no float lies between -2^31 - 1 and -2^31.
    constexpr float kLimit = 2147483648.0f;
    if (!std::isfinite(value) || value >= kLimit || value < -kLimit)
        return std::nullopt;
    return static_cast<int>(value);
}
