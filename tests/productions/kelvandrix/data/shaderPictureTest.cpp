// Each fragment shader drawn for real into a small target: the ray-marched
// scenes fill the picture with varied, finite colour and follow time and the
// sync values; the passes that read a texture read the right one, upright,
// and the text passes leave the cleared background where there is no text.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "glTest.h"
#include "inputTexture.h"
#include "offscreenTarget.h"
#include "shaderFiles.h"
#include "shaderPass.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 36;
// The clear colour (0.1, 0.2, 0.3) in 8 bits.
constexpr int kClearR = 26;
constexpr int kClearG = 51;
constexpr int kClearB = 77;

using Pixels = std::vector<std::uint8_t>;

struct Rgb {
    int r, g, b;
};

// x from the left, y from the top of the picture.
Rgb pixelAt(const Pixels& pixels, int x, int y)
{
    const std::size_t i = (static_cast<std::size_t>(kHeight - 1 - y) * kWidth + static_cast<std::size_t>(x)) * 4;
    return {pixels[i], pixels[i + 1], pixels[i + 2]};
}

bool isClearColour(Rgb c)
{
    return std::abs(c.r - kClearR) <= 1 && std::abs(c.g - kClearG) <= 1 && std::abs(c.b - kClearB) <= 1;
}

int brightness(Rgb c)
{
    return (c.r + c.g + c.b) / 3;
}

double meanDifference(const Pixels& a, const Pixels& b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    return sum / static_cast<double>(a.size());
}

PassUniforms at(float time, float a = 0.0f, float b = 0.0f, float c = 0.0f, float d = 0.0f)
{
    PassUniforms values;
    values.width = kWidth;
    values.height = kHeight;
    values.time = time;
    values.syncA = a;
    values.syncB = b;
    values.syncC = c;
    values.syncD = d;
    return values;
}

// Texels in memory order (row 0 = top of the picture for the flipped passes):
// `inside` within the rectangle, `outside` elsewhere.
Pixels texelsWithRectangle(int left, int top, int right, int bottom, std::array<std::uint8_t, 4> inside,
                           std::array<std::uint8_t, 4> outside = {0, 0, 0, 0})
{
    Pixels texels;
    for (int row = 0; row < kHeight; ++row)
        for (int column = 0; column < kWidth; ++column) {
            const bool in = column >= left && column < right && row >= top && row < bottom;
            const auto& texel = in ? inside : outside;
            texels.insert(texels.end(), texel.begin(), texel.end());
        }
    return texels;
}

class ShaderPicture : public testing_support::GLTest {
protected:
    Pixels render(const ShaderPass& pass, const PassUniforms& values)
    {
        OffscreenTarget target(kWidth, kHeight);
        EXPECT_TRUE(target.isComplete());
        target.bind();
        // As the production draws: target cleared, depth test on, no blending.
        glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        pass.draw(values);
        Pixels pixels = target.pixels();
        target.unbind();
        return pixels;
    }

    static std::unique_ptr<ShaderPass> build(const std::string& vertexFile, const std::string& fragmentFile)
    {
        auto pass = std::make_unique<ShaderPass>(shaderFile(vertexFile), shaderFile(fragmentFile));
        EXPECT_TRUE(pass->isLinked()) << pass->log();
        return pass;
    }

    void TearDown() override
    {
        for (int unit = 1; unit <= 6; ++unit) {
            glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        glActiveTexture(GL_TEXTURE0);
    }
};

const char* const kRayMarchers[] = {"rm_cubescape.fs", "rm_pyramidgrid.fs"};

} // namespace

TEST_F(ShaderPicture, RayMarchedScenesFillThePictureWithVariedFiniteColour)
{
    const PassUniforms settings[] = {at(0.0f), at(7.3f), at(95.0f), at(7.3f, 3.5f, 1.0f, 0.45f, 0.7f),
                                     at(130.0f, 40.0f, 0.5f, 0.9f, 1.0f)};
    for (const char* fragmentFile : kRayMarchers) {
        const auto pass = build("noTransform.vs", fragmentFile);
        for (const PassUniforms& values : settings) {
            SCOPED_TRACE(std::string(fragmentFile) + " at " + std::to_string(values.time) + " s, sync "
                         + std::to_string(values.syncA) + " " + std::to_string(values.syncB) + " "
                         + std::to_string(values.syncC) + " " + std::to_string(values.syncD));
            const Pixels pixels = render(*pass, values);
            std::set<int> colours;
            int darkest = 255;
            int brightest = 0;
            int black = 0;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const Rgb c = pixelAt(pixels, x, y);
                    colours.insert(c.r << 16 | c.g << 8 | c.b);
                    darkest = std::min(darkest, brightness(c));
                    brightest = std::max(brightest, brightness(c));
                    black += c.r == 0 && c.g == 0 && c.b == 0 ? 1 : 0;
                }
            // A NaN or a failed march shows as pure black; the scenes have none.
            EXPECT_EQ(black, 0);
            EXPECT_GT(colours.size(), 200u);
            EXPECT_GT(brightest - darkest, 60);
        }
    }
}

TEST_F(ShaderPicture, RayMarchedScenesMoveWithTimeAndFollowEverySyncValue)
{
    const PassUniforms base = at(10.0f);
    const std::pair<const char*, PassUniforms> changes[] = {
        {"uTime", at(10.5f)},
        {"uSyncA", at(10.0f, 2.0f)},
        {"uSyncB", at(10.0f, 0.0f, 1.0f)},
        {"uSyncC", at(10.0f, 0.0f, 0.0f, 0.5f)},
        {"uSyncD", at(10.0f, 0.0f, 0.0f, 0.0f, 1.0f)},
    };
    for (const char* fragmentFile : kRayMarchers) {
        const auto pass = build("noTransform.vs", fragmentFile);
        const Pixels still = render(*pass, base);
        for (const auto& [uniform, values] : changes) {
            SCOPED_TRACE(std::string(fragmentFile) + " with a new " + uniform);
            EXPECT_GT(meanDifference(still, render(*pass, values)), 3.0);
        }
    }
}

TEST_F(ShaderPicture, PostBringsTheSceneThroughDarkensTheCornersAndFlashes)
{
    const auto pass = build("noTransform.vs", "post.fs");
    // Left half red, right half blue; the post pass reads channel A (unit 1).
    Pixels halves = texelsWithRectangle(0, 0, kWidth / 2, kHeight, {200, 40, 40, 255}, {40, 40, 200, 255});
    const InputTexture scene(kWidth, kHeight, halves);
    scene.bindToUnit(1);

    const Pixels plain = render(*pass, at(3.0f));
    const Rgb left = pixelAt(plain, kWidth / 4, kHeight / 2);
    const Rgb right = pixelAt(plain, 3 * kWidth / 4, kHeight / 2);
    EXPECT_GT(left.r, left.b + 100);
    EXPECT_GT(right.b, right.r + 100);
    EXPECT_LT(brightness(pixelAt(plain, 0, 0)), brightness(pixelAt(plain, kWidth / 4, kHeight / 2)));
    EXPECT_GT(brightness(pixelAt(plain, 0, 0)), 0);

    const Pixels flash = render(*pass, at(3.0f, 0.0f, 0.0f, 0.0f, 1.0f));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_GT(brightness(pixelAt(flash, x, y)), 200) << "at " << x << ", " << y;
}

TEST_F(ShaderPicture, TexturedShowsTheImageUprightOnlyThroughTheFlippedVertexShader)
{
    // Row 0 of an image is its top: a red top half over a green bottom half.
    const InputTexture image(kWidth, kHeight,
                             texelsWithRectangle(0, 0, kWidth, kHeight / 2, {255, 0, 0, 255}, {0, 255, 0, 255}));
    image.bindToUnit(1);

    const Pixels upright = render(*build("noTransform_flipY.vs", "textured.fs"), at(0.0f));
    EXPECT_EQ(pixelAt(upright, 10, 2).r, 255);
    EXPECT_EQ(pixelAt(upright, 10, kHeight - 3).g, 255);

    const Pixels asStored = render(*build("noTransform.vs", "textured.fs"), at(0.0f));
    EXPECT_EQ(pixelAt(asStored, 10, 2).g, 255);
    EXPECT_EQ(pixelAt(asStored, 10, kHeight - 3).r, 255);
}

// A glyph rectangle whose texels have no coverage (alpha 255, red 0) next to
// one of full coverage, both in the upper part of the picture.
class TextPicture : public ShaderPicture {
protected:
    static constexpr int kTop = 4;
    static constexpr int kBottom = 14;
    static constexpr int kEmptyLeft = 8;
    static constexpr int kEmptyRight = 24;
    static constexpr int kInkLeft = 40;
    static constexpr int kInkRight = 56;

    static Pixels overlayTexels()
    {
        Pixels texels = texelsWithRectangle(kEmptyLeft, kTop, kEmptyRight, kBottom, {0, 0, 0, 255});
        const Pixels ink = texelsWithRectangle(kInkLeft, kTop, kInkRight, kBottom, {255, 0, 0, 255});
        for (std::size_t i = 0; i < texels.size(); ++i)
            texels[i] = std::max(texels[i], ink[i]);
        return texels;
    }

    static bool isInk(int x, int y) { return x >= kInkLeft && x < kInkRight && y >= kTop && y < kBottom; }

    void expectTextOverBackground(const Pixels& pixels)
    {
        int inkPixels = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const Rgb c = pixelAt(pixels, x, y);
                if (isInk(x, y)) {
                    ++inkPixels;
                    ASSERT_GT(std::min({c.r, c.g, c.b}), 170) << "text at " << x << ", " << y;
                } else {
                    ASSERT_TRUE(isClearColour(c)) << "background at " << x << ", " << y << " is " << c.r << " "
                                                  << c.g << " " << c.b;
                }
            }
        EXPECT_GT(inkPixels, 0);
    }
};

TEST_F(TextPicture, AddTextDrawsBrightTextAndKeepsTheBackgroundElsewhere)
{
    const auto pass = build("noTransform_flipY.vs", "addtext.fs");
    const InputTexture overlay(kWidth, kHeight, overlayTexels());
    overlay.bindToUnit(1);
    overlay.bindToUnit(5);
    expectTextOverBackground(render(*pass, at(5.0f)));
    expectTextOverBackground(render(*pass, at(61.0f, 2.0f, 1.0f, 0.7f, 1.0f)));
}

TEST_F(TextPicture, DebugTextReadsOnlyTheDebugChannel)
{
    const auto pass = build("noTransform_flipY.vs", "debugtext.fs");
    const InputTexture overlay(kWidth, kHeight, overlayTexels());
    overlay.bindToUnit(6);
    // Full coverage on every other channel must not show.
    const InputTexture everywhere(kWidth, kHeight, texelsWithRectangle(0, 0, kWidth, kHeight, {255, 0, 0, 255}));
    for (int unit = 1; unit <= 5; ++unit)
        everywhere.bindToUnit(unit);
    expectTextOverBackground(render(*pass, at(5.0f)));
}
