#pragma once

#include "kelvandrixAssets.h"

#include <optional>

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

// A track value truncated toward zero, or nothing when it is not a number or
// lies outside the range of a 32-bit integer.
std::optional<int> truncateTrackValue(float value);

// The name of the scene a value of the "part" track picks, for the makers'
// read-outs; "background" for a value that picks none.
const char* partName(float value);

// One frame of the production: reads the tracks at the frame's row, draws the
// scene of the current part into the scene target and brings it to the
// screen through the post pass.
void runFrame(vroEngine& engine, SceneObjects& scene);
