#include "vroImGuiLayer.h"

#include "vroWindow.h"

#include <cassert>

#include <imgui.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>

vroImGuiLayer::vroImGuiLayer(vroWindow& window)
{
    assert(ImGui::GetCurrentContext() == nullptr);
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    // Where the widgets stand is the program's business, not a file's.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGui_ImplGlfw_InitForOpenGL(window.getHandle(), true);
    ImGui_ImplOpenGL3_Init("#version 410 core");
}

vroImGuiLayer::~vroImGuiLayer()
{
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplGlfw_Shutdown();
    ImGui::DestroyContext();
}

void vroImGuiLayer::BeginFrame()
{
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplGlfw_NewFrame();
    ImGui::NewFrame();
}

void vroImGuiLayer::Render()
{
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

bool vroImGuiLayer::isTyping() const
{
    return ImGui::GetIO().WantTextInput;
}
