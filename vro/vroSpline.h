#pragma once

#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

struct vroKeyPoint {
    float time;
    glm::vec3 position;
};

// A key-framed path through space, looked up by uniform Catmull-Rom
// interpolation. Keys are kept in time order whatever order they come in.
class vroSpline {
public:
    vroSpline();

    void addKey(vroKeyPoint key);
    void addKey(float time, glm::vec3 position);
    // Holds the first key's position at or before its time and the last
    // key's after its time; (0, 0, 0) without keys.
    glm::vec3 getPositionAt(float time) const;
    const std::vector<vroKeyPoint>& getKeys() const { return keyPoints; }

private:
    std::vector<std::int8_t> basisMatrix;
    std::vector<vroKeyPoint> keyPoints;
};
