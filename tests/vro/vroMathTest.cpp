// Node, camera, spline and procedural geometry: plain math, no GL context.
#include "vroCamera.h"
#include "vroGeometry.h"
#include "vroNode.h"
#include "vroSpline.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace {

constexpr float kPi = 3.14159265358979f;

void expectVec3(glm::vec3 actual, glm::vec3 expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

glm::vec3 apply(const glm::mat4& matrix, glm::vec3 point)
{
    return glm::vec3(matrix * glm::vec4(point, 1.0f));
}

TEST(Node, NewNodeIsATranslationByOnes)
{
    vroNode node;
    EXPECT_EQ(node.getModelMatrix(), glm::translate(glm::mat4(1.0f), glm::vec3(1.0f)));
    node.setPosition(glm::vec3(0.0f));
    EXPECT_EQ(node.getModelMatrix(), glm::mat4(1.0f));
}

TEST(Node, RotationAxisIsNormalisedAndAngleIsRadians)
{
    vroNode node;
    node.setPosition(glm::vec3(0.0f));
    node.setRotation(glm::vec3(0, 0, 1), kPi / 2);
    expectVec3(apply(node.getModelMatrix(), {1, 0, 0}), {0, 1, 0});
    node.setRotation(glm::vec3(0, 0, 5), kPi / 2);
    expectVec3(apply(node.getModelMatrix(), {1, 0, 0}), {0, 1, 0});
}

TEST(Node, ScaleThenRotateThenTranslate)
{
    vroNode node;
    node.setPosition({2, 0, 0});
    node.setScale({2, 2, 2});
    node.setRotation({0, 0, 1}, kPi / 2);
    expectVec3(apply(node.getModelMatrix(), {1, 0, 0}), {2, 2, 0});
}

TEST(Node, TranslateSubtractsTheOffset)
{
    vroNode node;
    node.Translate({1, 0, 0});
    expectVec3(node.getPosition(), {0, 1, 1});
}

TEST(Node, ZeroAxisRotatesNothing)
{
    vroNode node;
    node.setRotation(glm::vec3(0.0f), 1.0f);
    const glm::mat4 model = node.getModelMatrix();
    EXPECT_EQ(model, glm::translate(glm::mat4(1.0f), glm::vec3(1.0f)));
}

TEST(Camera, AspectAndDefaults)
{
    vroCamera wide({1280, 720});
    EXPECT_FLOAT_EQ(wide.getAspect(), 1.7777778f);
    vroCamera tall({720, 1280});
    EXPECT_FLOAT_EQ(tall.getAspect(), 0.5625f);
    EXPECT_NEAR(wide.getFieldOfView(), 0.6605947f, 1e-6f);
    expectVec3(wide.getPosition(), {1, 1, 1});
    EXPECT_EQ(wide.getViewMatrix(), glm::lookAt(glm::vec3(1.0f), glm::vec3(0.0f), glm::vec3(0, 1, 0)));
    EXPECT_EQ(wide.getProjectionMatrix(), glm::perspective(0.6605947f, 1280.0f / 720.0f, 0.1f, 1000.0f));
}

TEST(Camera, FocalLengths)
{
    vroCamera camera({100, 100});
    camera.focalLength(12);
    EXPECT_NEAR(camera.getFieldOfView(), kPi / 2, 1e-6f);
    camera.focalLength(50);
    EXPECT_NEAR(camera.getFieldOfView(), 0.4710900f, 1e-6f);
}

TEST(Camera, MovingChangesViewButNotProjection)
{
    vroCamera camera({1280, 720});
    const glm::mat4 view = camera.getViewMatrix();
    const glm::mat4 projection = camera.getProjectionMatrix();
    camera.setPosition({0, 2, 5});
    EXPECT_NE(camera.getViewMatrix(), view);
    EXPECT_EQ(camera.getProjectionMatrix(), projection);
    expectVec3(camera.getNode()->getPosition(), {0, 2, 5});
    camera.lookAt({0, 2, 0});
    expectVec3(apply(camera.getViewMatrix(), {0, 2, 0}), {0, 0, -5});
}

TEST(Camera, ZeroHeightViewportGivesSquareAspect)
{
    vroCamera camera({640, 0});
    EXPECT_FLOAT_EQ(camera.getAspect(), 1.0f);
    EXPECT_TRUE(std::isfinite(camera.getProjectionMatrix()[0][0]));
}

TEST(Spline, CatmullRomThroughTheKeys)
{
    vroSpline line;
    for (int i = 0; i < 4; ++i)
        line.addKey(static_cast<float>(i), {static_cast<float>(i), 0, 0});
    EXPECT_NEAR(line.getPositionAt(1.5f).x, 1.5f, 1e-6f);

    vroSpline curve;
    curve.addKey(0, {0, 0, 0});
    curve.addKey(1, {1, 0, 0});
    curve.addKey(vroKeyPoint{2, {4, 0, 0}});
    EXPECT_NEAR(curve.getPositionAt(0.5f).x, 0.3125f, 1e-6f);
    EXPECT_NEAR(curve.getPositionAt(1.5f).x, 2.5625f, 1e-6f);
    EXPECT_EQ(curve.getPositionAt(2.0f).x, 4.0f);
    EXPECT_EQ(curve.getPositionAt(1.0f).x, 1.0f);
}

TEST(Spline, OutsideTheKeysHoldsTheEnds)
{
    vroSpline spline;
    EXPECT_EQ(spline.getPositionAt(3.0f), glm::vec3(0.0f));
    spline.addKey(5, {1, 2, 3});
    EXPECT_EQ(spline.getPositionAt(-10.0f), glm::vec3(1, 2, 3));
    EXPECT_EQ(spline.getPositionAt(10.0f), glm::vec3(1, 2, 3));
    spline.addKey(6, {4, 5, 6});
    EXPECT_EQ(spline.getPositionAt(5.0f), glm::vec3(1, 2, 3));
    EXPECT_EQ(spline.getPositionAt(4.0f), glm::vec3(1, 2, 3));
    EXPECT_EQ(spline.getPositionAt(6.5f), glm::vec3(4, 5, 6));
}

TEST(Spline, KeysAreKeptInTimeOrderStably)
{
    vroSpline spline;
    spline.addKey(2, {2, 0, 0});
    spline.addKey(0, {0, 0, 0});
    spline.addKey(1, {1, 0, 0});
    spline.addKey(1, {9, 0, 0});
    const auto& keys = spline.getKeys();
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].time, 0.0f);
    EXPECT_EQ(keys[1].position.x, 1.0f);
    EXPECT_EQ(keys[2].position.x, 9.0f);
    EXPECT_EQ(keys[3].time, 2.0f);
    for (float t = -1.0f; t < 3.0f; t += 0.125f)
        EXPECT_TRUE(std::isfinite(spline.getPositionAt(t).x)) << t;
}

TEST(Geometry, CubeHas36VerticesOnTheCorners)
{
    vroGeometry geometry;
    generateCube(&geometry, 2.0f, glm::vec3(0.0f));
    ASSERT_EQ(geometry.positions.size(), 108u);
    ASSERT_EQ(geometry.normals.size(), 108u);
    ASSERT_EQ(geometry.uvs.size(), 72u);
    for (float component : geometry.positions)
        EXPECT_EQ(std::abs(component), 1.0f);
    for (float uv : geometry.uvs)
        EXPECT_EQ(uv, 0.0f);
    EXPECT_EQ(glm::vec3(geometry.positions[0], geometry.positions[1], geometry.positions[2]), glm::vec3(-1, -1, -1));
    EXPECT_EQ(glm::vec3(geometry.normals[0], geometry.normals[1], geometry.normals[2]), glm::vec3(-1, 0, 0));
}

TEST(Geometry, CubeTrianglesFaceOutwards)
{
    vroGeometry geometry;
    generateCube(&geometry, 3.0f, glm::vec3(10, 0, 0));
    for (size_t t = 0; t < 12; ++t) {
        auto vertex = [&](size_t i) {
            const size_t at = (t * 3 + i) * 3;
            return glm::vec3(geometry.positions[at], geometry.positions[at + 1], geometry.positions[at + 2]);
        };
        const glm::vec3 normal(geometry.normals[t * 9], geometry.normals[t * 9 + 1], geometry.normals[t * 9 + 2]);
        const glm::vec3 winding = glm::cross(vertex(1) - vertex(0), vertex(2) - vertex(0));
        EXPECT_GT(glm::dot(winding, normal), 0.0f) << "triangle " << t + 1;
        EXPECT_NEAR(glm::dot(vertex(0) - glm::vec3(10, 0, 0), normal), 1.5f, 1e-5f);
    }
}

TEST(Geometry, SecondCubeIsAppended)
{
    vroGeometry geometry;
    generateCube(&geometry, 2.0f, glm::vec3(0.0f));
    generateCube(&geometry, 2.0f, glm::vec3(5.0f));
    ASSERT_EQ(geometry.positions.size(), 216u);
    EXPECT_EQ(geometry.positions[108], 4.0f);
}

TEST(Random, KnownDrawsFromSeedOne)
{
    int seed = 1;
    EXPECT_FLOAT_EQ(sfrand(&seed), -0.99999237f);
    EXPECT_FLOAT_EQ(sfrand(&seed), -0.86846232f);
    EXPECT_FLOAT_EQ(sfrand(&seed), -0.24439573f);
    EXPECT_EQ(static_cast<unsigned>(seed), 0x60b7a437u);

    int zero = 0;
    EXPECT_EQ(sfrand(&zero), -1.0f);
    EXPECT_EQ(zero, 0);
}

TEST(Random, DrawsStayInRange)
{
    int seed = 12345;
    for (int i = 0; i < 100000; ++i) {
        const float value = sfrand(&seed);
        ASSERT_GE(value, -1.0f);
        ASSERT_LT(value, 1.0f);
    }
    int a = 7, b = 7;
    const glm::vec3 drawn = v3rand(&a);
    EXPECT_EQ(drawn.x, sfrand(&b));
    EXPECT_EQ(drawn.y, sfrand(&b));
    EXPECT_EQ(drawn.z, sfrand(&b));
}

TEST(Random, SplineFilledWithRandomKeys)
{
    vroSpline spline;
    AddRandomDataToSpline(spline, 1, {0, 10});
    ASSERT_EQ(spline.getKeys().size(), 1u);
    EXPECT_NEAR(spline.getKeys()[0].time, -9.9967146f, 1e-5f);
    expectVec3(spline.getKeys()[0].position, {0.52458692f, 0.73538017f, -0.46338654f}, 1e-7f);

    vroSpline none;
    AddRandomDataToSpline(none, 0, {0, 10});
    AddRandomDataToSpline(none, -3, {0, 10});
    EXPECT_TRUE(none.getKeys().empty());

    vroSpline many;
    AddRandomDataToSpline(many, 50, {0, 10});
    ASSERT_EQ(many.getKeys().size(), 50u);
    for (size_t i = 1; i < 50; ++i)
        EXPECT_LE(many.getKeys()[i - 1].time, many.getKeys()[i].time);
    for (const auto& key : many.getKeys()) {
        EXPECT_GE(key.time, -10.0f);
        EXPECT_LT(key.time, 10.0f);
    }
}

} // namespace
