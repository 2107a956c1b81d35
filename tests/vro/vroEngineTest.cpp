#include "vroAudio.h"
#include "vroEngine.h"
#include "vroWindow.h"
#include "vroTimer.h"

#include "childProcess.h"
#include "glTest.h"
#include "testFiles.h"

#include <type_traits>

#include <GLFW/glfw3.h>

using namespace testing_support;

namespace {

static_assert(!std::is_copy_constructible_v<vroEngine> && !std::is_copy_assignable_v<vroEngine>);
static_assert(!std::is_copy_constructible_v<vroWindow> && !std::is_copy_assignable_v<vroWindow>);

TEST(Engine, PassesItsFourWindowSettingsToTheWindow)
{
    vroEngine engine(200, 100, "engine test", false);
    ASSERT_NE(engine.window, nullptr);
    GLFWwindow* handle = engine.window->getHandle();
    int width = 0, height = 0;
    glfwGetWindowSize(handle, &width, &height);
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 100);
    EXPECT_EQ(glfwGetWindowMonitor(handle), nullptr);
    EXPECT_EQ(engine.window->getDimensions(), glm::ivec2(200, 100));
    ASSERT_NE(engine.timer, nullptr);
    EXPECT_EQ(engine.timer->getFPS(), 0.0);
}

TEST(Engine, FullScreenWindowTakesThePrimaryMonitor)
{
    vroEngine engine(1280, 720, "KELVANDRIX", true);
    GLFWwindow* handle = engine.window->getHandle();
    EXPECT_EQ(glfwGetWindowMonitor(handle), glfwGetPrimaryMonitor());
}

// An engine playing `seconds` of silence made for the test.
class PlayingEngine : public ::testing::Test {
protected:
    TempDir dir;
    WorkingDir into{dir.path()};
    vroEngine engine{64, 64, "engine test", false};

    void play(double seconds)
    {
        runCommand("sox -n -r 44100 -c 2 tune.wav trim 0 " + std::to_string(seconds)
                   + " && lame --silent -b 128 tune.wav tune.mp3");
        engine.audio->setTune("tune.mp3", 120.0);
        ::testing::internal::CaptureStderr(); // the engine's own files are not in this folder
        engine.Start();
        ::testing::internal::GetCapturedStderr();
    }
};

TEST_F(PlayingEngine, IsRunningFollowsTheCloseFlag)
{
    play(5.0);
    EXPECT_TRUE(engine.IsRunning());
    engine.Update();
    EXPECT_TRUE(engine.IsRunning());
    glfwSetWindowShouldClose(engine.window->getHandle(), GLFW_TRUE);
    EXPECT_FALSE(engine.IsRunning());
}

TEST_F(PlayingEngine, IsRunningEndsWithTheMusic)
{
    play(0.3);
    EXPECT_TRUE(engine.IsRunning());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (engine.IsRunning() && std::chrono::steady_clock::now() < deadline)
        engine.Update();
    EXPECT_FALSE(engine.IsRunning());
    EXPECT_TRUE(engine.window->isOpen());
    EXPECT_DOUBLE_EQ(engine.audio->GetPosition(), engine.audio->GetLength());
}

TEST_F(PlayingEngine, UpdateSetsTheClockToTheMusicPosition)
{
    play(5.0);
    engine.audio->Pause();
    engine.audio->Forward(2.5);
    engine.Update();
    EXPECT_NEAR(engine.timer->currentTime, 2.5, 0.01);
    engine.audio->Rewind(1.0);
    engine.Update();
    EXPECT_NEAR(engine.timer->currentTime, 1.5, 0.01);
    EXPECT_NEAR(engine.timer->GetTime(), 1.5, 0.05);
}

} // namespace
