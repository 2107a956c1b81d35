#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <epoxy/gl.h>
#include <glm/vec4.hpp>
#include <gtest/gtest.h>

class vroEngine;
class vroWindow;

namespace testing_support {

constexpr int kTestWidth = 160;
constexpr int kTestHeight = 90;

// A real OpenGL context: a small windowed vroWindow on the (virtual) display,
// made for each test suite.
class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    static vroWindow& window();

private:
    static std::unique_ptr<vroWindow> sharedWindow;
};

// A whole engine on a small window, for the services that reach each other.
class EngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    static vroEngine& engine();

private:
    static std::unique_ptr<vroEngine> sharedEngine;
};

// Colour of one pixel of the framebuffer bound for reading, 0..255 per channel.
glm::u8vec4 readPixel(int x, int y);
// Every pixel of a width x height area from (0, 0), rows bottom first.
std::vector<std::uint8_t> readPixels(int width, int height);
GLint getInteger(GLenum name);
// Pixels of a texture's level 0 as 8-bit RGBA, rows in texture order.
std::vector<std::uint8_t> readTexture(GLuint texture, int width, int height);

} // namespace testing_support

// Colours compare within one step of 8-bit rounding.
#define EXPECT_PIXEL_NEAR(actual, red, green, blue, alpha)                      \
    do {                                                                        \
        const glm::u8vec4 pixel_ = (actual);                                    \
        EXPECT_NEAR(pixel_.x, (red), 1);                                        \
        EXPECT_NEAR(pixel_.y, (green), 1);                                      \
        EXPECT_NEAR(pixel_.z, (blue), 1);                                       \
        EXPECT_NEAR(pixel_.w, (alpha), 1);                                      \
    } while (0)
