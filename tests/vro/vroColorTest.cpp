#include "vroColor.h"

#include <gtest/gtest.h>

namespace {

void expectColour(glm::vec3 actual, glm::vec3 expected)
{
    EXPECT_NEAR(actual.r, expected.r, 1e-6f);
    EXPECT_NEAR(actual.g, expected.g, 1e-6f);
    EXPECT_NEAR(actual.b, expected.b, 1e-6f);
}

TEST(Hsv2rgb, PrimaryAndMixedHues)
{
    expectColour(hsv2rgb(0.0f, 1.0f, 1.0f), {1, 0, 0});
    expectColour(hsv2rgb(1.0f / 3.0f, 1.0f, 1.0f), {0, 1, 0});
    expectColour(hsv2rgb(2.0f / 3.0f, 1.0f, 1.0f), {0, 0, 1});
    expectColour(hsv2rgb(0.1f, 1.0f, 1.0f), {1, 0.6f, 0});
    expectColour(hsv2rgb(0.5f, 1.0f, 0.5f), {0, 0.5f, 0.5f});
    expectColour(hsv2rgb(0.25f, 0.5f, 1.0f), {0.75f, 1, 0.5f});
}

TEST(Hsv2rgb, HueWrapsBothWays)
{
    expectColour(hsv2rgb(-0.25f, 1.0f, 1.0f), {0.5f, 0, 1});
    expectColour(hsv2rgb(1.0f, 1.0f, 1.0f), hsv2rgb(0.0f, 1.0f, 1.0f));
    expectColour(hsv2rgb(1.1f, 1.0f, 1.0f), hsv2rgb(0.1f, 1.0f, 1.0f));
    expectColour(hsv2rgb(-0.9f, 1.0f, 1.0f), hsv2rgb(0.1f, 1.0f, 1.0f));
}

TEST(Hsv2rgb, ZeroSaturationIsGreyOfTheValue)
{
    for (float hue : {-3.7f, 0.0f, 0.3f, 0.77f, 12.5f})
        expectColour(hsv2rgb(hue, 0.0f, 0.4f), {0.4f, 0.4f, 0.4f});
}

TEST(Hsv2rgb, SaturationAndValueAreNotClamped)
{
    expectColour(hsv2rgb(0.0f, 1.0f, 2.0f), {2, 0, 0});
    expectColour(hsv2rgb(0.5f, 2.0f, 1.0f), {-1, 1, 1});
}

} // namespace
