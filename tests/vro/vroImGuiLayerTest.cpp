// Dear ImGui over the window: its widgets land in the bound framebuffer over
// what was there, the window's own key callback still hears every key while
// the layer is there and gets the window back after it, and a focused text
// field is told apart from plain keys.
#include "vroImGuiLayer.h"
#include "vroWindow.h"

#include "glTest.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <imgui.h>

using namespace testing_support;

namespace {

int keysHeard = 0;

void countKey(GLFWwindow*, int, int, int, int)
{
    ++keysHeard;
}

class vroImGuiLayerTest : public GLTest {};

TEST_F(vroImGuiLayerTest, DrawsOverTheFramebufferAndLeavesTheWindowItsCallbacks)
{
    GLFWwindow* handle = window().getHandle();
    const GLFWkeyfun before = glfwSetKeyCallback(handle, countKey);
    keysHeard = 0;
    {
        vroImGuiLayer layer(window());
        const GLFWkeyfun chained = glfwSetKeyCallback(handle, nullptr);
        glfwSetKeyCallback(handle, chained);
        ASSERT_NE(chained, countKey) << "ImGui hears keys first";
        chained(handle, GLFW_KEY_A, 0, GLFW_PRESS, 0);
        EXPECT_EQ(keysHeard, 1) << "and hands them on";

        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        layer.BeginFrame();
        ImGui::GetForegroundDrawList()->AddRectFilled(ImVec2(10, 10), ImVec2(30, 30), IM_COL32(255, 0, 0, 255));
        EXPECT_FALSE(layer.isTyping());
        layer.Render();
        // ImGui counts rows from the top, GL from the bottom.
        EXPECT_PIXEL_NEAR(readPixel(20, kTestHeight - 20), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR(readPixel(60, kTestHeight - 20), 0, 0, 255, 255); // the rest stays

        // A text field with the keyboard: keys are typing.
        static char text[16] = "";
        for (int frame = 0; frame < 3; ++frame) {
            layer.BeginFrame();
            ImGui::Begin("field");
            if (frame == 0)
                ImGui::SetKeyboardFocusHere();
            ImGui::InputText("text", text, sizeof text);
            ImGui::End();
            layer.Render();
        }
        EXPECT_TRUE(layer.isTyping());
    }
    EXPECT_EQ(glfwSetKeyCallback(handle, before), countKey) << "the window's own callback is back";
}

} // namespace
