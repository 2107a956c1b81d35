#include "vroEngine.h"
#include "vroWindow.h"
#include "vroTimer.h"

#include "glTest.h"

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
    EXPECT_TRUE(engine.IsRunning());
}

TEST(Engine, IsRunningFollowsTheCloseFlag)
{
    vroEngine engine(64, 64, "engine test", false);
    EXPECT_TRUE(engine.IsRunning());
    engine.Update();
    EXPECT_TRUE(engine.IsRunning());
    glfwSetWindowShouldClose(engine.window->getHandle(), GLFW_TRUE);
    EXPECT_FALSE(engine.IsRunning());
}

} // namespace
