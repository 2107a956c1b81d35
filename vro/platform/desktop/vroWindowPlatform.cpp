// The window's OpenGL 4.1 core context through GLFW and epoxy, shared by the
// desktop and Windows; how a lost display is watched is each one's own
// (vroWindowPlatformX11.cpp, platform/windows/vroWindowPlatformWin32.cpp).
#include "vroWindowPlatform.h"

#include "vroGL.h"

#include <GLFW/glfw3.h>

namespace {

constexpr int kMinimumGLVersion = 41; // OpenGL 4.1, as epoxy counts it

} // namespace

void vroWindowPlatform::SetContextHints()
{
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GL_TRUE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 1);
}

const char* vroWindowPlatform::ContextName()
{
    return "an OpenGL 4.1 core context";
}

// The entry points resolve lazily through epoxy; what must hold is that the
// context really is 4.1 core or better.
const char* vroWindowPlatform::ContextShortfall()
{
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    if (epoxy_gl_version() < kMinimumGLVersion || !(profile & GL_CONTEXT_CORE_PROFILE_BIT))
        return "the OpenGL context is below 4.1 core";
    return nullptr;
}

bool vroWindowPlatform::EscapeCloses()
{
    return true;
}

void vroWindowPlatform::Present(GLFWwindow* window)
{
    glfwSwapBuffers(window);
    glfwPollEvents();
}
