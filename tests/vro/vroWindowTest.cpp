#include "vroWindow.h"

#include "glTest.h"

#include <cstdlib>

#include <GLFW/glfw3.h>

using namespace testing_support;

namespace {

class WindowTest : public GLTest {};

TEST_F(WindowTest, ContextIsCoreProfileOfAtLeast41)
{
    EXPECT_GE(epoxy_gl_version(), 41);
    EXPECT_TRUE(getInteger(GL_CONTEXT_PROFILE_MASK) & GL_CONTEXT_CORE_PROFILE_BIT);
    GLFWwindow* handle = window().getHandle();
    EXPECT_EQ(glfwGetWindowAttrib(handle, GLFW_OPENGL_PROFILE), GLFW_OPENGL_CORE_PROFILE);
    EXPECT_EQ(glfwGetWindowAttrib(handle, GLFW_OPENGL_FORWARD_COMPAT), GLFW_TRUE);
    EXPECT_EQ(glfwGetWindowAttrib(handle, GLFW_RESIZABLE), GLFW_FALSE);
    EXPECT_EQ(getInteger(GL_UNPACK_ALIGNMENT), 1);
}

TEST_F(WindowTest, DimensionsAreTheFramebufferSize)
{
    int width = 0, height = 0;
    glfwGetFramebufferSize(window().getHandle(), &width, &height);
    EXPECT_EQ(window().getDimensions(), glm::ivec2(width, height));
    EXPECT_EQ(window().getDimensions(), glm::ivec2(kTestWidth, kTestHeight));
}

TEST_F(WindowTest, FramebufferIsClearedToOpaqueBlackAtCreation)
{
    // A window of its own, so that nothing has drawn into it yet; the
    // suite's window comes back for the tests after this one.
    GLTest::TearDownTestSuite();
    {
        vroWindow fresh(32, 16, "fresh", false);
        for (auto [x, y] : {std::pair{0, 0}, {31, 15}, {16, 8}})
            EXPECT_PIXEL_NEAR(readPixel(x, y), 0, 0, 0, 255);
    }
    GLTest::SetUpTestSuite();
}

TEST_F(WindowTest, HiddenWindowHasTheSizeAskedForEvenBeyondTheScreen)
{
    // 1920x1080 is larger than the virtual display's screen (1280x720).
    GLTest::TearDownTestSuite();
    {
        vroWindow hidden(1920, 1080, "hidden", false, false);
        EXPECT_EQ(glfwGetWindowAttrib(hidden.getHandle(), GLFW_VISIBLE), GLFW_FALSE);
        EXPECT_EQ(hidden.getDimensions(), glm::ivec2(1920, 1080));
        // The far corner really exists: it keeps a colour cleared into it.
        glEnable(GL_SCISSOR_TEST);
        glScissor(1919, 1079, 1, 1);
        hidden.clear(0.0f, 1.0f, 0.0f, 1.0f);
        glDisable(GL_SCISSOR_TEST);
        EXPECT_PIXEL_NEAR(readPixel(1919, 1079), 0, 255, 0, 255);
        EXPECT_PIXEL_NEAR(readPixel(1918, 1078), 0, 0, 0, 255);
    }
    GLTest::SetUpTestSuite();
}

// A screen without a mode of the size asked for: the window takes the
// screen's size, and drawing must cover all of it, not a corner.
TEST_F(WindowTest, FullScreenWindowOfAnotherSizeThanTheScreenHasItsViewportOverAllOfIt)
{
    GLTest::TearDownTestSuite();
    {
        vroWindow fullScreen(64, 48, "full screen", true);
        const glm::ivec2 size = fullScreen.getDimensions();
        ASSERT_NE(size, glm::ivec2(64, 48)) << "the display's screen has a 64x48 mode";
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(glm::ivec2(viewport[2], viewport[3]), size);
    }
    GLTest::SetUpTestSuite();
}

TEST_F(WindowTest, ClearVariantsSetColourAndAlpha)
{
    window().clear(glm::vec3(1.0f, 0.5f, 0.0f));
    EXPECT_PIXEL_NEAR(readPixel(3, 4), 255, 128, 0, 255);
    window().clear(0.0f, 0.25f, 1.0f, 0.5f);
    EXPECT_PIXEL_NEAR(readPixel(100, 50), 0, 64, 255, 128);
    window().clear();
    EXPECT_PIXEL_NEAR(readPixel(159, 89), 0, 0, 0, 255);
}

TEST_F(WindowTest, ClearClearsDepthToo)
{
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    window().clear();
    float depth = 0.0f;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
}

TEST_F(WindowTest, ClearHSV)
{
    window().clearHSV(0.0f, 1.0f, 1.0f);
    EXPECT_PIXEL_NEAR(readPixel(1, 1), 255, 0, 0, 255);
    window().clearHSV(1.0f / 3.0f, 1.0f, 1.0f);
    EXPECT_PIXEL_NEAR(readPixel(1, 1), 0, 255, 0, 255);
    window().clearHSV(1.0f + 1.0f / 3.0f, 1.0f, 1.0f);
    EXPECT_PIXEL_NEAR(readPixel(1, 1), 0, 255, 0, 255);
    window().clearHSV(0.6f, 0.0f, 0.5f);
    EXPECT_PIXEL_NEAR(readPixel(1, 1), 128, 128, 128, 255);
}

TEST_F(WindowTest, OnlyAnEscapePressCloses)
{
    GLFWwindow* handle = window().getHandle();
    vroWindow::key_callback(handle, GLFW_KEY_ESCAPE, 9, GLFW_REPEAT, 0);
    vroWindow::key_callback(handle, GLFW_KEY_ESCAPE, 9, GLFW_RELEASE, 0);
    vroWindow::key_callback(handle, GLFW_KEY_SPACE, 65, GLFW_PRESS, 0);
    vroWindow::key_callback(handle, GLFW_KEY_Q, 24, GLFW_PRESS, GLFW_MOD_CONTROL);
    window().update();
    EXPECT_TRUE(window().isOpen());

    vroWindow::key_callback(handle, GLFW_KEY_ESCAPE, 9, GLFW_PRESS, 0);
    EXPECT_FALSE(window().isOpen());
    window().update();
    EXPECT_FALSE(window().isOpen());
}

TEST_F(WindowTest, KeyCallbackIsInstalled)
{
    GLFWwindow* handle = window().getHandle();
    EXPECT_EQ(glfwSetKeyCallback(handle, nullptr), &vroWindow::key_callback);
    glfwSetKeyCallback(handle, &vroWindow::key_callback);
    EXPECT_EQ(glfwGetInputMode(handle, GLFW_CURSOR), GLFW_CURSOR_HIDDEN);
}

TEST(WindowDeathTest, NoDisplayStopsWithOneLineAndFailureStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            vroWindow window(64, 64, "nowhere", false);
        },
        ::testing::ExitedWithCode(EXIT_FAILURE), "window: glfwInit failed");
}

TEST(WindowDeathTest, UnobtainableContextStopsWithOneLineAndFailureStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Mesa then offers no more than 3.3, so a 4.1 core context cannot be had.
            setenv("MESA_GL_VERSION_OVERRIDE", "3.3", 1);
            vroWindow window(64, 64, "old", false);
        },
        ::testing::ExitedWithCode(EXIT_FAILURE), "window: cannot create a 64x64 window");
}

} // namespace
