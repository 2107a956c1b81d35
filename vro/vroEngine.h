#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

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
    vroEngine(int width, int height, std::string title, bool fullscreen, bool visible = true);
    ~vroEngine();

    vroEngine(const vroEngine&) = delete;
    vroEngine& operator=(const vroEngine&) = delete;

    // Loads everything registered, behind the loading bar, then starts the
    // music and the clock.
    void Start();
    void Init();
    // End of a frame: present, poll events, re-base the clock on the music.
    void Update();
    // The frame loop's condition; fixes the sync row of the frame.
    bool IsRunning();

    // What the last loading announced to the bar, how far it advanced, and
    // how long each service took.
    struct LoadingSteps {
        int announced = 0;
        int advanced = 0;
        std::vector<std::pair<std::string, double>> seconds;
    };
    const LoadingSteps& getLoadingSteps() const { return loadingSteps; }

    std::unique_ptr<vroFSQuad> quad;
    std::unique_ptr<vroShaderManager> shaderManager;
    std::unique_ptr<vroWindow> window;
    std::unique_ptr<vroTimer> timer;
    std::unique_ptr<vroFontManager> fontManager;
    std::unique_ptr<vroAudio> audio;
    std::unique_ptr<vroTextureManager> textureManager;
    std::unique_ptr<vroTextOverlay> textOverlay;
    // Never loaded and never drawn by the production; kept so that a
    // production may load and use a second text layer on its own channel.
    std::unique_ptr<vroTextOverlay> debugTextOverlay;
    std::unique_ptr<vroRenderer> renderer;

private:
    void createServices();
    LoadingSteps loadingSteps;
    static void resetBindings();
    template <typename Load>
    void timed(const char* service, Load load);
};
