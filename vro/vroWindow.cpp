#include "vroWindow.h"

#include "vroColor.h"
#include "vroGL.h"
#include "vroWindowPlatform.h"

#include <cstdio>
#include <cstdlib>

#include <GLFW/glfw3.h>

vroWindow::vroWindow()
{
    Init();
    Configure();
    CreateWindow();
}

vroWindow::vroWindow(int width, int height, std::string title, bool fullscreen, bool visible)
    : visible(visible)
{
    Init();
    Configure(width, height, std::move(title), fullscreen);
    CreateWindow();
}

vroWindow::~vroWindow()
{
    glfwDestroyWindow(window);
    glfwTerminate();
}

void vroWindow::Init()
{
    vroWindowPlatform::BeforeInit();
    glfwSetErrorCallback(error_callback);
    mInitStatus = glfwInit();
    if (mInitStatus == GLFW_FALSE)
        fail("glfwInit failed (mInitStatus is 0 in vroWindow::Init)");
}

void vroWindow::Configure()
{
    title = "KELVANDRIX";
    monitor = glfwGetPrimaryMonitor();
    videoMode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    size = videoMode ? glm::ivec2(videoMode->width, videoMode->height) : glm::ivec2(1280, 720);
    fullscreen = true;
    setGLFWHints();
}

void vroWindow::Configure(int width, int height, std::string newTitle, bool newFullscreen)
{
    title = std::move(newTitle);
    monitor = glfwGetPrimaryMonitor();
    videoMode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    size = glm::ivec2(width, height);
    fullscreen = newFullscreen;
    setGLFWHints();
}

void vroWindow::setGLFWHints()
{
    vroWindowPlatform::SetContextHints();
    glfwWindowHint(GLFW_RESIZABLE, GL_FALSE);
    glfwWindowHint(GLFW_VISIBLE, visible ? GL_TRUE : GL_FALSE);
    // A hidden window is drawn into, never looked at. Without a frame its
    // drawing area is the whole size asked for, even as large as the screen
    // where the system keeps a window's frame within the screen (Windows).
    glfwWindowHint(GLFW_DECORATED, visible ? GL_TRUE : GL_FALSE);
}

void vroWindow::CreateWindow()
{
    window = glfwCreateWindow(size.x, size.y, title.c_str(), fullscreen ? monitor : nullptr, nullptr);
    if (!window)
        fail("cannot create a " + std::to_string(size.x) + "x" + std::to_string(size.y) + " window with "
             + vroWindowPlatform::ContextName());
    glfwGetFramebufferSize(window, &framebufferSize.x, &framebufferSize.y);
    glfwMakeContextCurrent(window);
    glfwSetKeyCallback(window, key_callback);
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    if (const char* shortfall = vroWindowPlatform::ContextShortfall())
        fail(shortfall);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // GL's first viewport is the size the window was asked with; a full
    // screen window on a screen without that mode draws on the screen's size.
    glViewport(0, 0, framebufferSize.x, framebufferSize.y);
    clear();
}

void vroWindow::fail(const std::string& what)
{
    std::fprintf(stderr, "window: %s\n", what.c_str());
    if (window)
        glfwDestroyWindow(window);
    glfwTerminate();
    std::exit(EXIT_FAILURE);
}

void vroWindow::clear()
{
    clear(0.0f, 0.0f, 0.0f, 1.0f);
}

void vroWindow::clear(glm::vec3 colour)
{
    clear(colour.r, colour.g, colour.b, 1.0f);
}

void vroWindow::clear(float r, float g, float b, float a)
{
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void vroWindow::clearHSV(float hue, float saturation, float value)
{
    clear(hsv2rgb(hue, saturation, value));
}

void vroWindow::update()
{
    vroWindowPlatform::Present(window);
}

bool vroWindow::isOpen() const
{
    return !glfwWindowShouldClose(window);
}

glm::ivec2 vroWindow::getDimensions() const
{
    return framebufferSize;
}

void vroWindow::key_callback(GLFWwindow* window, int key, int, int action, int)
{
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS && vroWindowPlatform::EscapeCloses())
        glfwSetWindowShouldClose(window, GL_TRUE);
}

void vroWindow::error_callback(int, const char* description)
{
    // GLFW's text as it stands, ended so that the next message starts a line.
    std::fputs(description, stderr);
    std::fputc('\n', stderr);
}
