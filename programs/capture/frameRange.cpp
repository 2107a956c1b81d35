#include "frameRange.h"

#include <cmath>

namespace {

// The first frame at or after `seconds`. Seconds written in decimal are
// rarely exact binary numbers (0.3 * 10 is 3.0000000000000004): a millionth
// of a frame counts as on time.
long firstFrameFrom(double seconds, double fps)
{
    return static_cast<long>(std::ceil(seconds * fps - 1e-6));
}

} // namespace

FrameRange FrameRange::covering(double fromSeconds, double toSeconds, double fps)
{
    FrameRange range;
    range.fps = fps;
    range.first = firstFrameFrom(fromSeconds, fps);
    range.end = firstFrameFrom(toSeconds, fps);
    return range;
}
