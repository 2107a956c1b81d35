#include "vroNode.h"

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

void vroNode::setRotation(glm::vec3 axis, float angle)
{
    rotationAxis = axis;
    rotationAngle = angle;
}

glm::mat4 vroNode::getModelMatrix() const
{
    const glm::mat4 identity(1.0f);
    const glm::mat4 translation = glm::translate(identity, position);
    const glm::mat4 scaling = glm::scale(identity, scale);
    // A zero axis names no direction: it rotates nothing rather than filling
    // the matrix with NaNs.
    const bool hasAxis = glm::dot(rotationAxis, rotationAxis) > 0.0f;
    const glm::mat4 rotation = hasAxis ? glm::rotate(identity, rotationAngle, glm::normalize(rotationAxis)) : identity;
    return (translation * rotation) * scaling;
}
