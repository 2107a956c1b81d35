#pragma once

class vroWindow;

// Dear ImGui over the engine's window, for tools drawn over the picture:
// one context, the GLFW back end on the window's input and the OpenGL 3 back
// end drawing into whatever framebuffer is bound. The window's own input
// callbacks still run: ImGui's are chained in front of them. There can be one
// layer at a time, and it must go before the window does.
class vroImGuiLayer {
public:
    explicit vroImGuiLayer(vroWindow& window);
    ~vroImGuiLayer();

    vroImGuiLayer(const vroImGuiLayer&) = delete;
    vroImGuiLayer& operator=(const vroImGuiLayer&) = delete;

    // Starts a frame of widgets: ImGui's calls go between BeginFrame and Render.
    void BeginFrame();
    // Draws the frame's widgets over the bound framebuffer.
    void Render();
    // A text field has the keyboard: keys are typing, not commands.
    bool isTyping() const;
};
