#pragma once

#include "kelvandrixAssets.h"

class vroEngine;
class vroFSQuad;
class vroFramebuffer;

// What the script draws with besides the engine's own services.
struct SceneObjects {
    vroFSQuad& sceneQuad;
    vroFramebuffer& sceneTarget;
    const TextList& bigTexts;
    const TextList& greets;
};

// One frame of the production: reads the tracks at the frame's row, draws the
// scene of the current part into the scene target and brings it to the
// screen through the post pass.
void runFrame(vroEngine& engine, SceneObjects& scene);
