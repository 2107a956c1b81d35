#pragma once

#include "testFiles.h"

namespace testing_support {

// A run folder of the production made in a test's folder: a few seconds of
// silence, pass-through shaders, flat-colour scenes and tracks that switch
// the part about once a second with known colours. About 17 rows a second:
//   rows  0-19  part 5, only the background: red (hue 0, full)
//   rows 20-39  part not a number, only the background: green (hue 1/3)
//   rows 40-59  part 7, only the background: grey 128 (saturation 0, value 0.5)
//   rows 60-79  part 1, the cubes' program: (uSyncA 0.5, 0.25, 0.75) = (128, 64, 191)
//   rows 80-99  part 3, the pyramids' program: (26, 230, 51)
//   rows 100-   part 9, the closing picture: (200, 100, 50)
// Its music lasts `musicSeconds`, the part after row 100 filling what is
// left.
void makeSmallDataSet(const TempDir& dir, double musicSeconds);

// The length of its music unless told otherwise.
constexpr double kSmallDataMusicSeconds = 7.5;
inline void makeSmallDataSet(const TempDir& dir)
{
    makeSmallDataSet(dir, kSmallDataMusicSeconds);
}

} // namespace testing_support
