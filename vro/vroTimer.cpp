#include "vroTimer.h"

#include "vroAudio.h"

#include <GLFW/glfw3.h>

void vroTimer::Start()
{
    currentTime = 0.0;
    lastTime = 0.0;
    glfwSetTime(0.0);
}

double vroTimer::GetTime() const
{
    return glfwGetTime();
}

void vroTimer::update()
{
    lastTime = currentTime;
    currentTime = GetTime();
    // Two reads of the same time give +infinity, as IEEE division does.
    fps = 1.0 / (currentTime - lastTime);
}

void vroTimer::update(vroAudio* audio)
{
    glfwSetTime(audio->GetPosition());
    update();
}
