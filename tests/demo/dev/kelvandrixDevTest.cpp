// The development player's program run whole: what a maker meets before
// any frame, on a machine without a display.
#include "childProcess.h"
#include "testFiles.h"

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

using namespace testing_support;
using namespace std::chrono_literals;

TEST(DevProgram, WithoutADisplayOneLineSaysHowToGetOne)
{
    TempDir dir;
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    ChildProcess program(KELVANDRIX_DEV, dir.path(), {"--commands", "-"});
    const std::optional<int> status = program.waitForExit(60s);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(status, std::optional<int>(1));
    const std::string error = program.standardError();
    EXPECT_EQ(error.rfind("dev: no display to draw on (", 0), 0u) << error;
    EXPECT_NE(error.find("scripts/with-display"), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
}

// A mistyped option is one line with the player's own tag and status 2,
// before any window or file is opened.
TEST(DevProgram, ABadOptionIsOneTaggedLineAndStatusTwo)
{
    const std::vector<std::vector<std::string>> badArguments = {
        {"--bogus"}, {"--size", "0x0"}, {"--start", "soon"}, {"--source"}};
    for (const std::vector<std::string>& arguments : badArguments) {
        TempDir dir;
        ChildProcess program(KELVANDRIX_DEV, dir.path(), arguments);
        EXPECT_EQ(program.waitForExit(60s), std::optional<int>(2)) << arguments[0];
        const std::string error = program.standardError();
        EXPECT_EQ(error.rfind("dev: ", 0), 0u) << error;
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    }
}
