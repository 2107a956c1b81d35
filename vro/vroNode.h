#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// The placement of one thing: position, axis-angle rotation (radians) and
// per-axis scale, combined on demand into T * R * S.
class vroNode {
public:
    void setPosition(glm::vec3 newPosition) { position = newPosition; }
    void setScale(glm::vec3 newScale) { scale = newScale; }
    void setRotation(glm::vec3 axis, float angle);
    // Moves the node by -offset.
    void Translate(glm::vec3 offset) { position -= offset; }
    glm::vec3 getPosition() const { return position; }
    glm::mat4 getModelMatrix() const;

private:
    glm::vec3 position{1.0f, 1.0f, 1.0f};
    glm::vec3 rotationAxis{0.0f, 1.0f, 0.0f};
    float rotationAngle = 0.0f;
    glm::vec3 scale{1.0f, 1.0f, 1.0f};
};
