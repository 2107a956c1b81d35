#include "vroAudio.h"
#include "vroTimer.h"

#include "glTest.h"

#include <thread>

#include <GLFW/glfw3.h>

using namespace testing_support;

namespace {

class TimerTest : public GLTest {};

TEST_F(TimerTest, ValueInitialisedTimerHasNoFps)
{
    vroTimer timer{};
    EXPECT_EQ(timer.getFPS(), 0.0);
    EXPECT_EQ(timer.currentTime, 0.0);
    EXPECT_EQ(timer.lastTime, 0.0);
}

TEST_F(TimerTest, StartResetsTheClockToAboutZero)
{
    glfwSetTime(100.0);
    vroTimer timer{};
    timer.currentTime = 5.0;
    timer.lastTime = 4.0;
    timer.Start();
    EXPECT_EQ(timer.currentTime, 0.0);
    EXPECT_EQ(timer.lastTime, 0.0);
    const double first = timer.GetTime();
    EXPECT_GE(first, 0.0);
    EXPECT_LT(first, 0.5);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(timer.GetTime(), first);
}

TEST_F(TimerTest, UpdateShiftsTimesAndComputesFps)
{
    vroTimer timer{};
    glfwSetTime(2.0);
    timer.update();
    glfwSetTime(2.5);
    timer.update();
    EXPECT_NEAR(timer.lastTime, 2.0, 1e-3);
    EXPECT_NEAR(timer.currentTime, 2.5, 1e-3);
    EXPECT_NEAR(timer.getFPS(), 1.0 / (timer.currentTime - timer.lastTime), 1e-9);
    EXPECT_NEAR(timer.getFPS(), 2.0, 0.05);
}

// A held clock reads the same however long a frame takes, follows the music
// only when re-based, and runs on from there once released.
TEST_F(TimerTest, HeldClockStandsStillUntilReleased)
{
    vroTimer timer{};
    timer.Start();
    timer.Hold(12.5);
    EXPECT_TRUE(timer.isHeld());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(timer.GetTime(), 12.5);
    timer.update();
    EXPECT_EQ(timer.currentTime, 12.5);

    timer.Release();
    EXPECT_FALSE(timer.isHeld());
    const double released = timer.GetTime();
    EXPECT_GE(released, 12.5);
    EXPECT_LT(released, 12.6);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(timer.GetTime(), released);
}

// Without music the audio layer reports -1 s; setting the clock to that is
// refused by the windowing library with an error line every frame.
TEST_F(TimerTest, NoMusicLeavesTheClockRunningWithoutErrors)
{
    vroAudio audio;
    vroTimer timer{};
    timer.Start();
    glfwGetError(nullptr);
    timer.update(&audio);
    EXPECT_EQ(glfwGetError(nullptr), GLFW_NO_ERROR);
    EXPECT_GE(timer.currentTime, 0.0);
    EXPECT_LT(timer.currentTime, 0.5);
}

} // namespace
