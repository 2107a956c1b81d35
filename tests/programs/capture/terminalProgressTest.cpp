#include "terminalProgress.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace {

// What the progress display wrote for `total` steps, one Advance each; for
// a job that stops after `stopAfter` steps without finishing, when given.
std::string written(long total, bool terminal, long stopAfter = 0)
{
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&buffer, &size);
    {
        TerminalProgress progress(stream, total, "frames", terminal);
        for (long done = 1; done <= (stopAfter > 0 ? stopAfter : total); ++done)
            progress.Advance(done);
        if (stopAfter == 0)
            progress.Finish();
    }
    std::fclose(stream);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST(TerminalProgressTest, ALogGetsOnePlainLineEveryTenPercent)
{
    const std::string log = written(250, false);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 10) << log;
    EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](char c) { return c == '\r' || c == '\033'; })) << log;
    EXPECT_EQ(log.rfind("25/250 frames  10%", 0), 0u) << log;
    EXPECT_NE(log.find("250/250 frames 100%"), std::string::npos) << log;
    // Fewer steps than tenths still end on the whole.
    const std::string few = written(3, false);
    EXPECT_EQ(std::count(few.begin(), few.end(), '\n'), 3);
}

TEST(TerminalProgressTest, ATerminalGetsABarRedrawnInPlaceEndedByOneNewline)
{
    const std::string bar = written(40, true);
    EXPECT_EQ(bar.front(), '\r');
    EXPECT_EQ(std::count(bar.begin(), bar.end(), '\n'), 1);
    EXPECT_EQ(bar.back(), '\n');
    // The last drawing is the whole bar, whatever was skipped before it.
    const std::string last = bar.substr(bar.rfind('\r'));
    EXPECT_NE(last.find("[########################] 40/40 frames 100%"), std::string::npos) << last;
    EXPECT_NE(last.find("left 0:00"), std::string::npos) << last;
    // A job stopped half-way: what is said about it next starts a line of its own.
    const std::string stopped = written(40, true, 20);
    EXPECT_EQ(std::count(stopped.begin(), stopped.end(), '\n'), 1);
    EXPECT_EQ(stopped.back(), '\n');
}

TEST(TerminalProgressTest, DescribesRateElapsedAndTimeLeft)
{
    const TerminalProgress progress(stderr, 120, "frames", false);
    EXPECT_EQ(progress.describe(30, 15.0), "30/120 frames  25%  2.00 frames/s  elapsed 0:15  left 0:45");
    EXPECT_EQ(progress.describe(0, 0.0), "0/120 frames   0%  0.00 frames/s  elapsed 0:00  left ?");
}

} // namespace
