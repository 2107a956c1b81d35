#pragma once

struct GLFWwindow;

// What the window does differently on each platform, behind one interface:
// platform/desktop/vroWindowPlatform.cpp (OpenGL 4.1 core, with
// vroWindowPlatformX11.cpp watching the X display) and
// platform/web/vroWindowPlatform.cpp (a canvas, WebGL 2). Windows takes the
// desktop's OpenGL parts with a display watch of its own
// (platform/windows/vroWindowPlatformWin32.cpp). vroWindow itself is the same
// everywhere.
class vroWindowPlatform {
public:
    // Before every start of GLFW (glfwInit): how a lost display is reported
    // (X11), what GLFW loads kept loaded (Windows).
    static void BeforeInit();
    // The context asked for, as GLFW hints.
    static void SetContextHints();
    // The context asked for, in words, for the line saying it was refused.
    static const char* ContextName();
    // What the current context lacks of the one asked for, in words; null
    // when it is that one or better.
    static const char* ContextShortfall();
    // Whether Escape closes the window. A page cannot close its tab, and
    // Escape there leaves full screen.
    static bool EscapeCloses();
    // Shows what was drawn and takes the events that came meanwhile: the end
    // of every frame, the loading bar's included.
    static void Present(GLFWwindow* window);
};
