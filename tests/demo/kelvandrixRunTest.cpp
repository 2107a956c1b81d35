#include "childProcess.h"
#include "testFiles.h"
#include "x11Window.h"

#include <thread>

#include <gtest/gtest.h>

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

constexpr auto kWindowTimeout = 60s;

class ProductionRun : public ::testing::Test {
protected:
    ChildProcess production{KELVANDRIX_EXECUTABLE, runDir()};

    unsigned long waitForWindow()
    {
        const unsigned long window = findWindow("KELVANDRIX", kWindowTimeout);
        // Give it a moment past loading, into its frame loop.
        std::this_thread::sleep_for(1500ms);
        return window;
    }
};

TEST_F(ProductionRun, EscapeEndsItWithStatusZero)
{
    const unsigned long window = waitForWindow();
    ASSERT_NE(window, 0u) << production.standardError();
    ASSERT_TRUE(production.running());
    runCommand("xdotool windowfocus --sync " + std::to_string(window) + " key Escape");
    EXPECT_EQ(production.waitForExit(20s), std::optional<int>(0)) << production.standardError();
}

TEST_F(ProductionRun, CloseRequestEndsItWithStatusZero)
{
    const unsigned long window = waitForWindow();
    ASSERT_NE(window, 0u) << production.standardError();
    ASSERT_TRUE(production.running());
    ASSERT_TRUE(requestClose(window));
    EXPECT_EQ(production.waitForExit(20s), std::optional<int>(0)) << production.standardError();
}

} // namespace
