#pragma once

#include <vector>

#include "shaderPass.h"

// The uniforms a scene's pass sees at `count` moments spread evenly over a
// part of the production (as its "part" track chooses), read from the sync
// tracks of the run folder at each moment's music time. Empty when the part
// never plays or the tracks are not there.
std::vector<PassUniforms> momentsOfPart(int part, int count, int width, int height);
