#pragma once

class vroAudio;

// The production's clock: GLFW's timer, re-based on the music position once
// per frame so that "uTime" is the music time.
class vroTimer {
public:
    void Start();
    double GetTime() const;
    void update();
    void update(vroAudio* audio);
    double getFPS() const { return fps; }

    double currentTime = 0.0;
    double lastTime = 0.0;
    double fps = 0.0;
};
