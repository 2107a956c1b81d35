#pragma once

#include "kelvandrixAssets.h"
#include "vroFSQuad.h"
#include "vroFramebuffer.h"
#include "vroProduction.h"

class vroEngine;

// The production: its assets registered, then its own quad, off-screen
// target and text lists, made in that order and released in the reverse
// one, all before the engine.
class KelvandrixProduction : public vroProduction {
public:
    explicit KelvandrixProduction(vroEngine& engine);

    void Setup() override;
    void RunFrame() override;

private:
    vroEngine& engine;
    vroFSQuad sceneQuad;
    vroFramebuffer sceneTarget;
    const TextList bigTexts;
    const TextList greets;
};
