#include "vroFSQuad.h"
#include "vroProgressBar.h"
#include "vroWindow.h"

#include "glTest.h"

#include <sstream>
#include <vector>

using namespace testing_support;

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::string line;
    std::istringstream stream(text);
    while (std::getline(stream, line))
        result.push_back(line);
    return result;
}

TEST(ProgressBarText, BuiltInSourcesAreExact)
{
    const std::string vertex = vroProgressBar::kVertexSource;
    ASSERT_EQ(lines(vertex).size(), 6u);
    EXPECT_NE(vertex.back(), '\n');
    EXPECT_EQ(vertex,
              "layout (location = 0) in vec3 vertexPosition;\nout vec2 NDC;\nvoid main () {\n"
              "    NDC = vertexPosition.xy;\n    gl_Position = vec4(vertexPosition,1);\n}");

    const std::string fragment = vroProgressBar::kFragmentSource;
    const auto fragmentLines = lines(fragment);
    ASSERT_EQ(fragmentLines.size(), 19u);
    EXPECT_NE(fragment.back(), '\n');
    EXPECT_EQ(fragmentLines[1], "in vec2 NDC;out vec4 color;float box(vec2 b, vec2 p){ vec2 d = abs(p) - b;"
                                "return min(max(d.x,d.y),0.0) + length(max(d,0.0));}");
    EXPECT_EQ(fragmentLines[8], "   // inner box\t");
    EXPECT_EQ(fragmentLines[17], "   }   color = vec4(vec3(c),1);");
    EXPECT_EQ(fragmentLines[3], "   float invgr = 1.0/1.61803398875;");
    EXPECT_EQ(fragment.size(), 640u);
}

class ProgressBarTest : public GLTest {
protected:
    GLuint framebuffer = 0;
    GLuint colour = 0;

    // The bar draws into whatever is bound; an off-screen target keeps the
    // picture readable after the swap inside Advance.
    void SetUp() override
    {
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kTestWidth, kTestHeight);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    }

    void TearDown() override
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &colour);
    }

    static float position(const vroProgressBar& bar)
    {
        float value = -1.0f;
        const GLuint id = bar.getProgram().id;
        glGetUniformfv(id, glGetUniformLocation(id, "uPosition"), &value);
        return value;
    }

    // Pixel of a point in normalised device coordinates; 255 white, 0 black.
    static int shade(float x, float y)
    {
        const int px = static_cast<int>((x * 0.5f + 0.5f) * kTestWidth);
        const int py = static_cast<int>((y * 0.5f + 0.5f) * kTestHeight);
        return readPixel(px, py).x;
    }
};

TEST_F(ProgressBarTest, FourStepsGiveQuartersAndOneFrameEach)
{
    vroProgressBar bar(&window());
    bar.AddSteps(3);
    bar.AddSteps(1);
    EXPECT_EQ(bar.getTotalSteps(), 4);
    const float expected[] = {0.25f, 0.5f, 0.75f, 1.0f};
    for (float fraction : expected) {
        bar.Advance();
        EXPECT_FLOAT_EQ(position(bar), fraction);
    }
    EXPECT_EQ(bar.getDoneSteps(), 4);
}

TEST_F(ProgressBarTest, HalfwayBlackensTheLeftHalfOfTheInnerBox)
{
    vroProgressBar bar(&window());
    bar.AddSteps(2);
    bar.Advance();
    EXPECT_EQ(shade(-0.3f, 0.0f), 0);
    EXPECT_EQ(shade(0.3f, 0.0f), 255);
    EXPECT_EQ(shade(0.6f, 0.0f), 0);   // the frame between outer and inner box
    EXPECT_EQ(shade(0.9f, 0.9f), 255); // the background
    EXPECT_EQ(shade(0.0f, 0.5f), 255);
}

TEST_F(ProgressBarTest, FullAndOverfullBarsAreAllBlack)
{
    vroProgressBar bar(&window());
    bar.AddSteps(1);
    bar.Advance();
    EXPECT_EQ(shade(0.55f, 0.0f), 0);
    EXPECT_EQ(shade(-0.55f, 0.05f), 0);
    bar.Advance();
    EXPECT_FLOAT_EQ(bar.getFraction(), 2.0f);
    EXPECT_EQ(shade(0.55f, 0.0f), 0);
    EXPECT_EQ(shade(0.9f, 0.0f), 255);
}

TEST_F(ProgressBarTest, NoStepsAnnouncedDrawsTheEmptyBar)
{
    vroProgressBar bar(&window());
    bar.Advance();
    EXPECT_EQ(position(bar), 0.0f);
    EXPECT_EQ(shade(-0.5f, 0.0f), 255);
    EXPECT_EQ(shade(0.6f, 0.0f), 0);
}

TEST_F(ProgressBarTest, BuiltInProgramLinks)
{
    vroProgressBar bar(&window());
    GLint linked = GL_FALSE;
    glGetProgramiv(bar.getProgram().id, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
}

} // namespace

// The bar is drawn on white with its program limited to the outer box; over
// every pixel that must be what the program draws over the whole target,
// also in a viewport that does not start at the corner.
TEST_F(ProgressBarTest, SamePictureAsTheProgramOverTheWholeViewport)
{
    vroFSQuad quad;
    vroProgressBar bar(&window());
    bar.AddSteps(3);
    for (glm::ivec4 viewport : {glm::ivec4(0, 0, kTestWidth, kTestHeight), glm::ivec4(7, 5, 141, 67)}) {
        glViewport(viewport.x, viewport.y, viewport.z, viewport.w);
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        bar.Advance();
        const std::vector<std::uint8_t> drawn = readPixels(kTestWidth, kTestHeight);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(bar.getProgram().id);
        quad.Render();
        EXPECT_EQ(drawn, readPixels(kTestWidth, kTestHeight)) << "viewport " << viewport.x << "," << viewport.y;
    }
    glViewport(0, 0, kTestWidth, kTestHeight);
}

TEST_F(ProgressBarTest, LeavesClearColourAndScissorAsTheyWere)
{
    vroProgressBar bar(&window());
    bar.AddSteps(2);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glScissor(1, 2, 3, 4);
    bar.Advance();
    glm::vec4 clearColour;
    glm::ivec4 scissorBox;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, &clearColour.x);
    glGetIntegerv(GL_SCISSOR_BOX, &scissorBox.x);
    EXPECT_EQ(clearColour, glm::vec4(0.25f, 0.5f, 0.75f, 1.0f));
    EXPECT_EQ(scissorBox, glm::ivec4(1, 2, 3, 4));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));

    // A caller's own scissor still limits the bar, as for any draw.
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, kTestWidth / 2, kTestHeight);
    bar.Advance();
    glDisable(GL_SCISSOR_TEST);
    EXPECT_EQ(shade(-0.9f, 0.9f), 255);
    EXPECT_EQ(readPixel(kTestWidth - 5, kTestHeight - 5), glm::u8vec4(64, 128, 191, 255));
}
