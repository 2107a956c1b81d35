#pragma once

#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

class vroSpline;

// Vertices collected into flat arrays ready for vertex buffers: three floats
// of position and normal and two of texture coordinate per vertex.
class vroGeometry {
public:
    void AddVertex(glm::vec3 position, glm::vec3 normal, glm::vec2 uv);

    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> uvs;
};

// Appends a cube of 36 vertices (12 triangles, counter-clockwise seen from
// outside, texture coordinates (0, 0)).
void generateCube(vroGeometry* geometry, float size, glm::vec3 centre);

// A tiny seeded generator: a float in [-1, 1) from 23 random bits. A seed of
// 0 stays 0 and always gives -1.
float sfrand(int* seed);
glm::vec3 v3rand(int* seed);

// Adds `count` keys of random time within range.x - (range.y - range.x) to
// range.y and random position in [-1, 1)^3.
void AddRandomDataToSpline(vroSpline& spline, int count, glm::vec2 range);
