#include "vroGeometry.h"

#include "vroSpline.h"

#include <cstdint>
#include <cstring>

#include <glm/common.hpp>

void vroGeometry::AddVertex(glm::vec3 position, glm::vec3 normal, glm::vec2 uv)
{
    positions.insert(positions.end(), {position.x, position.y, position.z});
    normals.insert(normals.end(), {normal.x, normal.y, normal.z});
    uvs.insert(uvs.end(), {uv.x, uv.y});
}

namespace {

struct CubeTriangle {
    glm::vec3 corners[3]; // signs of x, y and z
    glm::vec3 normal;
};

constexpr float m = -1.0f;
constexpr float p = 1.0f;

const CubeTriangle kCubeTriangles[12] = {
    {{{m, m, m}, {m, m, p}, {m, p, p}}, {-1, 0, 0}},
    {{{p, p, m}, {m, m, m}, {m, p, m}}, {0, 0, -1}},
    {{{p, m, p}, {m, m, m}, {p, m, m}}, {0, -1, 0}},
    {{{p, p, m}, {p, m, m}, {m, m, m}}, {0, 0, -1}},
    {{{m, m, m}, {m, p, p}, {m, p, m}}, {-1, 0, 0}},
    {{{p, m, p}, {m, m, p}, {m, m, m}}, {0, -1, 0}},
    {{{m, p, p}, {m, m, p}, {p, m, p}}, {0, 0, 1}},
    {{{p, p, p}, {p, m, m}, {p, p, m}}, {1, 0, 0}},
    {{{p, m, m}, {p, p, p}, {p, m, p}}, {1, 0, 0}},
    {{{p, p, p}, {p, p, m}, {m, p, m}}, {0, 1, 0}},
    {{{p, p, p}, {m, p, m}, {m, p, p}}, {0, 1, 0}},
    {{{p, p, p}, {m, p, p}, {p, m, p}}, {0, 0, 1}},
};

} // namespace

void generateCube(vroGeometry* geometry, float size, glm::vec3 centre)
{
    const float half = size / 2.0f;
    for (const CubeTriangle& triangle : kCubeTriangles)
        for (const glm::vec3& corner : triangle.corners)
            geometry->AddVertex(corner * half + centre, triangle.normal, glm::vec2(0.0f));
}

float sfrand(int* seed)
{
    // Multiply in unsigned arithmetic: the wrap modulo 2^32 is then defined.
    const std::uint32_t next = static_cast<std::uint32_t>(*seed) * 16807u;
    *seed = static_cast<int>(next);
    // Exponent bits of 2.0 with 23 random mantissa bits: a float in [2, 4).
    const std::uint32_t bits = (next >> 9) | 0x40000000u;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value - 3.0f;
}

glm::vec3 v3rand(int* seed)
{
    const float x = sfrand(seed);
    const float y = sfrand(seed);
    const float z = sfrand(seed);
    return {x, y, z};
}

void AddRandomDataToSpline(vroSpline& spline, int count, glm::vec2 range)
{
    int seed = static_cast<int>(static_cast<std::uint32_t>(count) * 42u);
    for (int i = 0; i < count; ++i) {
        const float r = sfrand(&seed);
        const float time = glm::mix(range.x, range.y, r);
        spline.addKey(time, v3rand(&seed));
    }
}
