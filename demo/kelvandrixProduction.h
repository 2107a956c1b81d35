#pragma once

#include "kelvandrixAssets.h"
#include "vroFSQuad.h"
#include "vroFramebuffer.h"

#include <memory>

class vroEngine;

// The production: the engine with every asset registered, then the
// production's own quad, off-screen target and text lists, made in that
// order and released in the reverse one, the engine last.
class Production {
public:
    // A production that is not visible draws into a hidden window, for
    // reading its frames back.
    Production(int width, int height, bool fullscreen, bool visible = true);
    ~Production();

    Production(const Production&) = delete;
    Production& operator=(const Production&) = delete;

    // Loads everything behind the loading bar and starts the music.
    void Start();
    // One frame of the scene script; the engine's IsRunning has fixed its row.
    void RunFrame();
    vroEngine& getEngine() { return *engine; }

private:
    std::unique_ptr<vroEngine> engine;
    vroFSQuad sceneQuad;
    vroFramebuffer sceneTarget;
    const TextList bigTexts;
    const TextList greets;
};
