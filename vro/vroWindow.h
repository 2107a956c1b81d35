#pragma once

#include <string>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

struct GLFWmonitor;
struct GLFWvidmode;
struct GLFWwindow;

// The one window and the owner of its OpenGL context. Constructing it starts
// GLFW and makes the context current; destroying it ends GLFW, so every GL
// object must be gone before the window goes.
class vroWindow {
public:
    vroWindow();
    // A hidden window is never shown and has a framebuffer of exactly the
    // size asked for, whatever the screen: for drawing that is only read back.
    vroWindow(int width, int height, std::string title, bool fullscreen, bool visible = true);
    ~vroWindow();

    vroWindow(const vroWindow&) = delete;
    vroWindow& operator=(const vroWindow&) = delete;

    void Init();
    void Configure();
    void Configure(int width, int height, std::string title, bool fullscreen);
    void setGLFWHints();
    void CreateWindow();

    void clear();
    void clear(glm::vec3 colour);
    void clear(float r, float g, float b, float a);
    void clearHSV(float hue, float saturation, float value);

    void update();
    bool isOpen() const;
    glm::ivec2 getDimensions() const;
    GLFWwindow* getHandle() const { return window; }

    static void key_callback(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void error_callback(int code, const char* description);

private:
    [[noreturn]] void fail(const std::string& what);

    std::string title;
    GLFWmonitor* monitor = nullptr;
    const GLFWvidmode* videoMode = nullptr;
    GLFWwindow* window = nullptr;
    glm::ivec2 size{0, 0};
    glm::ivec2 framebufferSize{0, 0};
    bool fullscreen = false;
    bool visible = true;
    int mInitStatus = 0;
};
