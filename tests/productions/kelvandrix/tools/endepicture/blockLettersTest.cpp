// The lettering of the closing picture: points in letter units of the upright
// word (before the slant) fall inside or outside the strokes of E, N, D, E.
#include <gtest/gtest.h>

#include "blockLetters.h"

namespace {

float distanceUpright(float x, float y)
{
    return BlockLetters().distance({x + BlockLetters::kSlant * y, y});
}

constexpr float kAdvance = 5.2f; // one letter and its gap

} // namespace

TEST(BlockLetters, StrokesAreInsideAndGapsAndCountersOutside)
{
    // E: stem and the three arms; open between the arms on the right.
    EXPECT_LT(distanceUpright(0.6f, 3.0f), 0.0f);
    EXPECT_LT(distanceUpright(3.5f, 5.4f), 0.0f);
    EXPECT_LT(distanceUpright(3.0f, 3.0f), 0.0f);
    EXPECT_LT(distanceUpright(3.5f, 0.6f), 0.0f);
    EXPECT_GT(distanceUpright(3.0f, 1.8f), 0.0f);
    // Between E and N.
    EXPECT_GT(distanceUpright(4.6f, 3.0f), 0.0f);
    // N: both stems and the middle of the diagonal; open above and below it.
    EXPECT_LT(distanceUpright(kAdvance + 0.6f, 3.0f), 0.0f);
    EXPECT_LT(distanceUpright(kAdvance + 3.4f, 3.0f), 0.0f);
    EXPECT_LT(distanceUpright(kAdvance + 2.0f, 3.0f), 0.0f);
    EXPECT_GT(distanceUpright(kAdvance + 2.6f, 5.0f), 0.0f);
    EXPECT_GT(distanceUpright(kAdvance + 1.4f, 1.0f), 0.0f);
    // D: stem and bowl, with a hole in the middle.
    EXPECT_LT(distanceUpright(2.0f * kAdvance + 0.6f, 3.0f), 0.0f);
    EXPECT_LT(distanceUpright(2.0f * kAdvance + 3.5f, 3.0f), 0.0f);
    EXPECT_GT(distanceUpright(2.0f * kAdvance + 2.0f, 3.0f), 0.0f);
    // The last E, and nothing past the word.
    EXPECT_LT(distanceUpright(3.0f * kAdvance + 0.6f, 3.0f), 0.0f);
    EXPECT_GT(distanceUpright(BlockLetters::kWordWidth + 0.5f, 3.0f), 0.0f);
}

TEST(BlockLetters, DistanceGrowsAwayFromTheWord)
{
    const float near = distanceUpright(-0.5f, 3.0f);
    const float far = distanceUpright(-2.0f, 3.0f);
    EXPECT_GT(near, 0.0f);
    EXPECT_GT(far, near);
    EXPECT_GT(distanceUpright(10.0f, 9.0f), 2.0f);
    EXPECT_LT(distanceUpright(10.0f, 9.0f), 4.0f);
}
