#pragma once

#include <glm/vec3.hpp>

// Hue (a full turn is 1.0, only the fraction counts), saturation and value to
// red, green and blue. Saturation and value are not clamped.
glm::vec3 hsv2rgb(float hue, float saturation, float value);
