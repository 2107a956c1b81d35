#include "vroCamera.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

vroCamera::vroCamera(glm::ivec2 viewport) : node(std::make_unique<vroNode>())
{
    focalLength(35.0f);
    // A viewport without height has no aspect ratio; a square one is the
    // harmless stand-in.
    if (viewport.y != 0)
        aspect = static_cast<float>(viewport.x) / static_cast<float>(viewport.y);
}

void vroCamera::focalLength(float focal)
{
    fieldOfView = static_cast<float>(2.0 * std::atan(24.0 / (2.0 * static_cast<double>(focal))));
}

glm::mat4 vroCamera::getViewMatrix() const
{
    return glm::lookAt(node->getPosition(), target, up);
}

glm::mat4 vroCamera::getProjectionMatrix() const
{
    return glm::perspective(fieldOfView, aspect, nearPlane, farPlane);
}
