#include "frameRange.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameRangeTest, CoversFramesFromInclusiveToExclusive)
{
    const FrameRange range = FrameRange::covering(1.0, 3.0, 10.0);
    EXPECT_EQ(range.first, 10);
    EXPECT_EQ(range.end, 30);
    EXPECT_EQ(range.count(), 20);
    EXPECT_DOUBLE_EQ(range.seconds(25), 2.5);
    // A start between frames begins at the next one.
    EXPECT_EQ(FrameRange::covering(1.01, 3.0, 10.0).first, 11);
    EXPECT_EQ(FrameRange::covering(2.01, 2.05, 10.0).count(), 0);
}

TEST(FrameRangeTest, NeighbouringRangesJoinWithoutGapOrOverlapForDecimalSeconds)
{
    // 0.3 * 10 is 3.0000000000000004 and 37 / 60 is written 0.616666667: a
    // bare ceil would skip a frame at such a seam.
    for (double fps : {10.0, 24.0, 29.97, 60.0}) {
        for (double seam : {0.3, 0.616666667, 1.1, 2.7}) {
            const FrameRange before = FrameRange::covering(0.0, seam, fps);
            const FrameRange after = FrameRange::covering(seam, 5.0, fps);
            EXPECT_EQ(before.end, after.first) << fps << " fps, seam at " << seam;
            EXPECT_EQ(before.count() + after.count(), FrameRange::covering(0.0, 5.0, fps).count());
        }
    }
    EXPECT_EQ(FrameRange::covering(0.3, 1.0, 10.0).first, 3);
    EXPECT_EQ(FrameRange::covering(0.0, 0.616666667, 60.0).end, 37);
}

} // namespace
