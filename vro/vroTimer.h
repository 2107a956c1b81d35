#pragma once

class vroAudio;

// The production's clock: GLFW's timer, re-based on the music position once
// per frame so that "uTime" is the music time.
//
// Between two re-basings the clock runs on, so each pass of a frame sees the
// moment it is drawn. A held clock does not: every pass of a frame sees the
// same time, which off-line rendering needs to give the same pictures twice
// and a paused player needs to show a still picture.
class vroTimer {
public:
    void Start();
    double GetTime() const;
    void update();
    void update(vroAudio* audio);
    double getFPS() const { return fps; }

    // Stops the clock at `seconds`; re-basing on the music then moves it to
    // the music position without letting it run.
    void Hold(double seconds);
    // The clock runs on from where it was held.
    void Release();
    bool isHeld() const { return held; }

    double currentTime = 0.0;
    double lastTime = 0.0;
    double fps = 0.0;

private:
    bool held = false;
    double heldTime = 0.0;
};
