#pragma once

#include <memory>
#include <string>

class vroWindow;
class vroTimer;

// Owns every service. Members are public: services reach each other through
// the engine pointer they were given. Creation and release follow a fixed
// order (the window before anything that makes GL calls, and after it on the
// way out), which the constructor and destructor spell out.
class vroEngine {
public:
    vroEngine();
    vroEngine(int width, int height, std::string title, bool fullscreen);
    ~vroEngine();

    vroEngine(const vroEngine&) = delete;
    vroEngine& operator=(const vroEngine&) = delete;

    void Start();
    void Init();
    void Update();
    bool IsRunning();

    std::unique_ptr<vroWindow> window;
    std::unique_ptr<vroTimer> timer;

private:
    void createServices();
};
