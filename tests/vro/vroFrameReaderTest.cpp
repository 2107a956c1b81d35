#include "vroFrameReader.h"

#include "glTest.h"

#include <array>

using namespace testing_support;

namespace {

class FrameReaderTest : public GLTest {};

// A frame with one colour on the top row and another everywhere else, so that
// both the order of frames and the order of rows show.
void drawFrame(std::array<float, 3> top, std::array<float, 3> rest)
{
    glClearColor(rest[0], rest[1], rest[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, kTestHeight - 1, kTestWidth, 1);
    glClearColor(top[0], top[1], top[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

void expectFrame(const std::vector<std::uint8_t>& pixels, int topRed, int restRed)
{
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kTestWidth) * kTestHeight * 4);
    const size_t lastRow = static_cast<size_t>(kTestHeight - 1) * kTestWidth * 4;
    for (size_t x : {size_t{0}, size_t{kTestWidth - 1}}) {
        EXPECT_NEAR(pixels[x * 4], topRed, 1) << "top row, x " << x;
        EXPECT_NEAR(pixels[kTestWidth * 4 + x * 4], restRed, 1) << "second row, x " << x;
        EXPECT_NEAR(pixels[lastRow + x * 4], restRed, 1) << "bottom row, x " << x;
        EXPECT_EQ(pixels[lastRow + x * 4 + 3], 255);
    }
}

TEST_F(FrameReaderTest, HandsOutQueuedFramesOldestFirstWithTheTopRowFirst)
{
    vroFrameReader reader(kTestWidth, kTestHeight, 2);
    ASSERT_EQ(reader.slots(), 2);
    // Five frames through two slots: every slot is used again, and each frame
    // is taken only after the next one has been drawn over it.
    int taken = 0;
    for (int frame = 0; frame < 5; ++frame) {
        const float red = static_cast<float>(frame * 40) / 255.0f;
        drawFrame({red, 0.0f, 0.0f}, {1.0f - red, 0.0f, 1.0f});
        if (reader.pending() == reader.slots()) {
            expectFrame(reader.Take(), taken * 40, 255 - taken * 40);
            ++taken;
        }
        reader.Queue();
    }
    while (reader.pending() > 0) {
        expectFrame(reader.Take(), taken * 40, 255 - taken * 40);
        ++taken;
    }
    EXPECT_EQ(taken, 5);
    EXPECT_EQ(getInteger(GL_PIXEL_PACK_BUFFER_BINDING), 0);

    // Blue first, as an encoder takes "bgra".
    vroFrameReader blueFirst(kTestWidth, kTestHeight, 1, GL_BGRA);
    drawFrame({0.2f, 0.4f, 0.6f}, {0.2f, 0.4f, 0.6f});
    blueFirst.Queue();
    const std::vector<std::uint8_t>& pixels = blueFirst.Take();
    EXPECT_NEAR(pixels[0], 153, 1);
    EXPECT_NEAR(pixels[1], 102, 1);
    EXPECT_NEAR(pixels[2], 51, 1);
}

} // namespace
