// GPU time from timestamp queries, on llvmpipe.
#include "vroFSQuad.h"
#include "vroGpuTimer.h"
#include "vroShaderProgram.h"

#include "glTest.h"

#include <type_traits>
#include <vector>

using namespace testing_support;

namespace {

static_assert(!std::is_copy_constructible_v<vroGpuTimer>);

const char* const kVertex = R"(#version 410 core
layout (location = 0) in vec3 vertexPosition;
void main() { gl_Position = vec4(vertexPosition, 1.0); })";

// Enough arithmetic per pixel that drawing it takes milliseconds.
const char* const kHeavyFragment = R"(#version 410 core
out vec4 colour;
void main() {
    float x = gl_FragCoord.x;
    for (int i = 0; i < 2000; ++i) x = fract(sin(x) * 43758.5453);
    colour = vec4(x, 0.0, 0.0, 1.0);
})";

class GpuTimerTest : public GLTest {
protected:
    void drawHeavy()
    {
        glUseProgram(heavy.id);
        quad.Render();
    }

    std::vector<vroGpuTimer::Span> finishAll(vroGpuTimer& timer)
    {
        glFinish();
        std::vector<vroGpuTimer::Span> spans;
        while (auto span = timer.nextFinished())
            spans.push_back(*span);
        return spans;
    }

    vroShaderProgram heavy{kVertex, kHeavyFragment};
    vroFSQuad quad;
};

TEST_F(GpuTimerTest, NothingFinishesBeforeASpanHasEnded)
{
    vroGpuTimer timer;
    EXPECT_FALSE(timer.nextFinished());
    EXPECT_EQ(timer.Begin(), 0u);
    drawHeavy();
    glFinish();
    EXPECT_FALSE(timer.nextFinished());
    timer.End();
    const auto spans = finishAll(timer);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(spans[0].number, 0u);
    EXPECT_GT(spans[0].seconds, 0.0);
}

// More spans than the ring holds: Begin keeps the results it waited for, and
// each span keeps its own pair of queries (a heavy span among empty ones
// stands out at its own number).
TEST_F(GpuTimerTest, SpansComeOutInOrderWithTheirOwnTimes)
{
    vroGpuTimer timer(2);
    constexpr uint64_t kSpans = 7;
    constexpr uint64_t kHeavySpan = 4;
    for (uint64_t i = 0; i < kSpans; ++i) {
        EXPECT_EQ(timer.Begin(), i);
        if (i == kHeavySpan)
            drawHeavy();
        timer.End();
    }
    const auto spans = finishAll(timer);
    ASSERT_EQ(spans.size(), kSpans);
    for (uint64_t i = 0; i < kSpans; ++i) {
        EXPECT_EQ(spans[i].number, i);
        if (i != kHeavySpan) {
            EXPECT_LT(spans[i].seconds * 10.0, spans[kHeavySpan].seconds) << "span " << i;
        }
    }
}

} // namespace
