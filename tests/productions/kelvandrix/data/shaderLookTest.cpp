// The ray-marched scenes look as they did before they were made faster: for
// 20 moments spread over each scene's part, at the music time and sync values
// of that moment, today's shader and the baseline kept beside the benchmarks
// (bench/shaders/baseline) draw at the production's 1280x720 and must agree
// to within 1/255 on average per channel, with at most 0.5 % of the pixels
// off by more than 8/255 in any channel. The post pass is held to its
// baseline the same way, over today's cubes at those moments.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "glTest.h"
#include "inputTexture.h"
#include "offscreenTarget.h"
#include "partMoments.h"
#include "shaderFiles.h"
#include "shaderPass.h"
#include "testFiles.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kMoments = 20;

using Pixels = std::vector<std::uint8_t>;

struct Scene {
    const char* file;
    int part;
};

struct Difference {
    double meanPerChannel[3] = {};
    double shareOffByMoreThan8 = 0.0;
};

Difference compare(const Pixels& a, const Pixels& b)
{
    Difference difference;
    std::size_t off = 0;
    const std::size_t count = a.size() / 4;
    for (std::size_t i = 0; i < a.size(); i += 4) {
        bool far = false;
        for (int c = 0; c < 3; ++c) {
            const int delta = std::abs(static_cast<int>(a[i + c]) - static_cast<int>(b[i + c]));
            difference.meanPerChannel[c] += delta;
            far = far || delta > 8;
        }
        off += far ? 1 : 0;
    }
    for (double& mean : difference.meanPerChannel)
        mean /= static_cast<double>(count);
    difference.shareOffByMoreThan8 = static_cast<double>(off) / static_cast<double>(count);
    return difference;
}

Pixels draw(const ShaderPass& pass, const PassUniforms& values, OffscreenTarget& target)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pass.draw(values);
    return target.pixels();
}

void expectAlike(const Pixels& baseline, const Pixels& today)
{
    const Difference difference = compare(baseline, today);
    for (double mean : difference.meanPerChannel)
        EXPECT_LE(mean, 1.0);
    EXPECT_LE(difference.shareOffByMoreThan8, 0.005);
}

std::filesystem::path baselineFile(const char* file)
{
    return testing_support::sourceDir() / "bench/shaders/baseline" / file;
}

class ShaderLook : public testing_support::GLTest, public ::testing::WithParamInterface<Scene> {};

class PostLook : public testing_support::GLTest {};

TEST_P(ShaderLook, TodaysShaderDrawsWhatTheBaselineDrew)
{
    const Scene scene = GetParam();
    const ShaderPass baseline(shaderFile("noTransform.vs"), baselineFile(scene.file));
    const ShaderPass today(shaderFile("noTransform.vs"), shaderFile(scene.file));
    ASSERT_TRUE(baseline.isLinked()) << baseline.log();
    ASSERT_TRUE(today.isLinked()) << today.log();
    const auto moments = momentsOfPart(scene.part, kMoments, kWidth, kHeight);
    ASSERT_EQ(moments.size(), static_cast<std::size_t>(kMoments)) << "no sync tracks in " << testing_support::runDir();

    OffscreenTarget target(kWidth, kHeight);
    ASSERT_TRUE(target.isComplete());
    target.bind();
    glEnable(GL_DEPTH_TEST);
    for (const PassUniforms& moment : moments) {
        SCOPED_TRACE(testing::Message() << scene.file << " at " << moment.time << " s");
        expectAlike(draw(baseline, moment, target), draw(today, moment, target));
    }
    target.unbind();
}

TEST_F(PostLook, TodaysPostPassDrawsWhatTheBaselineDrew)
{
    const ShaderPass cubes(shaderFile("noTransform.vs"), shaderFile("rm_cubescape.fs"));
    const ShaderPass baseline(shaderFile("noTransform.vs"), baselineFile("post.fs"));
    const ShaderPass today(shaderFile("noTransform.vs"), shaderFile("post.fs"));
    ASSERT_TRUE(cubes.isLinked()) << cubes.log();
    ASSERT_TRUE(baseline.isLinked()) << baseline.log();
    ASSERT_TRUE(today.isLinked()) << today.log();
    const auto moments = momentsOfPart(1, kMoments, kWidth, kHeight);
    ASSERT_EQ(moments.size(), static_cast<std::size_t>(kMoments)) << "no sync tracks in " << testing_support::runDir();

    OffscreenTarget target(kWidth, kHeight);
    ASSERT_TRUE(target.isComplete());
    target.bind();
    glEnable(GL_DEPTH_TEST);
    for (const PassUniforms& moment : moments) {
        SCOPED_TRACE(testing::Message() << "post.fs over the cubes at " << moment.time << " s");
        // The post pass reads the scene from channel A (unit 1).
        const InputTexture scene(kWidth, kHeight, draw(cubes, moment, target));
        scene.bindToUnit(1);
        expectAlike(draw(baseline, moment, target), draw(today, moment, target));
    }
    target.unbind();
}

INSTANTIATE_TEST_SUITE_P(RayMarchedScenes, ShaderLook,
                         ::testing::Values(Scene{"rm_cubescape.fs", 1}, Scene{"rm_pyramidgrid.fs", 3}),
                         [](const auto& info) { return info.param.part == 1 ? "cubes" : "pyramids"; });

} // namespace
