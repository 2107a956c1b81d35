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
    return held ? heldTime : glfwGetTime();
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
    const double music = audio->GetPosition();
    // A negative position is the audio layer's error (no music): the clock
    // then runs on by itself instead of being set to a time it refuses.
    if (music >= 0.0) {
        if (held)
            heldTime = music;
        else
            glfwSetTime(music);
    }
    update();
}

void vroTimer::Hold(double seconds)
{
    held = true;
    heldTime = seconds;
}

void vroTimer::Release()
{
    if (!held)
        return;
    held = false;
    glfwSetTime(heldTime);
}
