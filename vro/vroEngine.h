#pragma once

#include <memory>
#include <string>

class vroFSQuad;
class vroShaderManager;
class vroWindow;
class vroTimer;
class vroFontManager;
class vroAudio;
class vroTextureManager;
class vroTextOverlay;
class vroRenderer;

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

    std::unique_ptr<vroFSQuad> quad;
    std::unique_ptr<vroShaderManager> shaderManager;
    std::unique_ptr<vroWindow> window;
    std::unique_ptr<vroTimer> timer;
    std::unique_ptr<vroFontManager> fontManager;
    std::unique_ptr<vroAudio> audio;
    std::unique_ptr<vroTextureManager> textureManager;
    std::unique_ptr<vroTextOverlay> textOverlay;
    std::unique_ptr<vroTextOverlay> debugTextOverlay;
    std::unique_ptr<vroRenderer> renderer;

private:
    void createServices();
};
