#include "vroYuvConverter.h"

#include "glTest.h"

#include <cmath>
#include <random>

using namespace testing_support;

namespace {

class YuvConverterTest : public GLTest {};

// Random pixels (rows from the top, RGB) put into the lower left of the
// window's framebuffer, which is left bound.
std::vector<std::uint8_t> drawRandomPicture(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> picture(static_cast<size_t>(width) * height * 3);
    for (std::uint8_t& value : picture)
        value = static_cast<std::uint8_t>(random() & 0xff);
    GLuint texture = 0, framebuffer = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, picture.data());
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    // Texture rows go up from the bottom: turned over, the first row is the top.
    glBlitFramebuffer(0, 0, width, height, 0, height, width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &texture);
    return picture;
}

// BT.709 at limited range, from R'G'B' of 0 to 1.
double luma(double r, double g, double b)
{
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

int code(double value)
{
    return static_cast<int>(std::lround(value));
}

// The planes as the formulas give them, each chroma sample from the mean of its block.
std::vector<int> expectedPlanes(const std::vector<std::uint8_t>& picture, int width, int height)
{
    auto channel = [&](int x, int y, int c) { return picture[(static_cast<size_t>(y) * width + x) * 3 + c] / 255.0; };
    std::vector<int> planes;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            planes.push_back(code(16.0 + 219.0 * luma(channel(x, y, 0), channel(x, y, 1), channel(x, y, 2))));
    for (int red = 0; red < 2; ++red)
        for (int y = 0; y < height; y += 2)
            for (int x = 0; x < width; x += 2) {
                double mean[3];
                for (int c = 0; c < 3; ++c)
                    mean[c] = (channel(x, y, c) + channel(x + 1, y, c) + channel(x, y + 1, c) + channel(x + 1, y + 1, c)) / 4;
                const double y709 = luma(mean[0], mean[1], mean[2]);
                planes.push_back(code(128.0 + 224.0 * (red ? (mean[0] - y709) / 1.5748 : (mean[2] - y709) / 1.8556)));
            }
    return planes;
}

// Sizes whose rows are whole texels of four bytes or not (38), whose chroma
// rows are (160) or not (44), and whose chroma planes end within a row of
// the packed target (height / 2 odd); each of two frames through the ring.
TEST_F(YuvConverterTest, PlanesFollowTheBt709LimitedRangeFormulasPixelByPixel)
{
    for (const auto& [width, height] : {std::pair{kTestWidth, kTestHeight}, std::pair{44, 22}, std::pair{38, 22}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        vroYuvConverter converter(width, height);
        std::vector<std::vector<int>> expected;
        for (int frame = 0; frame < 2; ++frame) {
            expected.push_back(expectedPlanes(drawRandomPicture(width, height, static_cast<unsigned>(frame)), width, height));
            converter.Queue();
        }
        EXPECT_EQ(getInteger(GL_DRAW_FRAMEBUFFER_BINDING), 0);
        EXPECT_EQ(getInteger(GL_READ_FRAMEBUFFER_BINDING), 0);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], kTestWidth);
        EXPECT_EQ(viewport[3], kTestHeight);
        for (const std::vector<int>& planes : expected) {
            const std::vector<std::uint8_t>& taken = converter.Take();
            ASSERT_EQ(taken.size(), planes.size());
            int wrong = 0;
            for (size_t i = 0; i < planes.size(); ++i)
                if (std::abs(taken[i] - planes[i]) > 1 && ++wrong <= 5)
                    ADD_FAILURE() << "byte " << i << ": " << int{taken[i]} << ", expected " << planes[i];
            EXPECT_EQ(wrong, 0);
        }
    }
}

} // namespace
