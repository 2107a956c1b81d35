#include "vroColor.h"

#include <glm/common.hpp>

glm::vec3 hsv2rgb(float hue, float saturation, float value)
{
    const glm::vec3 offsets = glm::vec3(3.0f, 2.0f, 1.0f) / 3.0f;
    const glm::vec3 p = glm::abs(glm::fract(glm::vec3(hue) + offsets) * 6.0f - 3.0f);
    const glm::vec3 q = glm::clamp(p - 1.0f, 0.0f, 1.0f);
    return value * glm::mix(glm::vec3(1.0f), q, saturation);
}
