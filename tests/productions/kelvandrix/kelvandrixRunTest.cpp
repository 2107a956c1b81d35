#include "childProcess.h"
#include "testFiles.h"
#include "x11Window.h"

#include <csignal>
#include <cstdlib>
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

// The X server going away mid-show: status 1 and one line of the window's,
// not Xlib's two or three untagged ones.
TEST(ProductionOnItsOwnDisplay, TheDisplayGoingAwayIsOneLineAndStatusOne)
{
    OwnXServer own(runDir());
    ASSERT_FALSE(own.number.empty()) << "Xvfb did not start";

    const std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", (":" + own.number).c_str(), 1);
    ChildProcess production(KELVANDRIX_EXECUTABLE, runDir());
    const unsigned long window = findWindow("KELVANDRIX", kWindowTimeout);
    setenv("DISPLAY", display.c_str(), 1);
    ASSERT_NE(window, 0u) << production.standardError();
    std::this_thread::sleep_for(1500ms); // into its frame loop
    ASSERT_TRUE(production.running()) << production.standardError();
    kill(own.server.pid(), SIGTERM);
    EXPECT_EQ(production.waitForExit(30s), std::optional<int>(1)) << production.standardError();
    const std::string said = production.standardError();
    const std::string line = "window: lost the connection to the display \":" + own.number + "\"\n";
    ASSERT_GE(said.size(), line.size()) << said;
    EXPECT_EQ(said.substr(said.size() - line.size()), line) << said;
    EXPECT_EQ(said.find("X connection"), std::string::npos) << said;
    EXPECT_EQ(said.find("XIO"), std::string::npos) << said;
}

// --help says what the player does and that it takes no options, and opens
// no window: a user who asks must not sit through the show.
TEST(ProductionHelp, SaysWhatItDoesAndPlaysNothing)
{
    ChildProcess production(KELVANDRIX_EXECUTABLE, runDir(), {"--help"});
    ASSERT_EQ(production.waitForExit(10s), std::optional<int>(0)) << production.standardError();
    const std::string help = production.standardOutput();
    EXPECT_EQ(help.rfind("usage: kelvandrix [--help]\n", 0), 0u) << help;
    EXPECT_NE(help.find("full screen at 1280x720"), std::string::npos) << help;
    EXPECT_NE(help.find("no options"), std::string::npos) << help;
    EXPECT_EQ(production.standardError(), "");
}

} // namespace
