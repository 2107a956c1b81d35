#pragma once

#include "vroNode.h"

#include <memory>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

// A perspective camera at its node's position, looking at a target with +Y
// up; its field of view is set from a focal length (24-unit-high image).
class vroCamera {
public:
    explicit vroCamera(glm::ivec2 viewport);

    void focalLength(float focalLength);
    void lookAt(glm::vec3 newTarget) { target = newTarget; }
    void setPosition(glm::vec3 position) { node->setPosition(position); }
    glm::vec3 getPosition() const { return node->getPosition(); }
    vroNode* getNode() { return node.get(); }
    glm::mat4 getViewMatrix() const;
    glm::mat4 getProjectionMatrix() const;

    float getFieldOfView() const { return fieldOfView; }
    float getAspect() const { return aspect; }

private:
    std::unique_ptr<vroNode> node;
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    glm::vec3 target{0.0f, 0.0f, 0.0f};
    float fieldOfView = 0.0f;
    float aspect = 1.0f;
    float nearPlane = 0.1f;
    float farPlane = 1000.0f;
};
