#include "vroEngine.h"
#include "vroFont.h"
#include "vroFontManager.h"
#include "vroProgressBar.h"
#include "vroTextOverlay.h"
#include "vroTexture.h"
#include "vroWindow.h"

#include "glTest.h"

#include <type_traits>
#include <vector>

using namespace testing_support;

namespace {

static_assert(!std::is_copy_constructible_v<vroTextOverlay> && !std::is_copy_assignable_v<vroTextOverlay>);

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
const char* const kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

bool allZero(const std::vector<std::uint8_t>& bytes)
{
    for (std::uint8_t byte : bytes)
        if (byte != 0)
            return false;
    return true;
}

// The production's overlay: a loaded text overlay on a 1280 by 720 window.
class TextOverlay : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        engine = new vroEngine(kWidth, kHeight, "text overlay test", false);
        engine->fontManager->addFont("DejaVu", kFontFile);
        vroProgressBar bar(engine->window.get());
        bar.AddSteps(engine->fontManager->HowManyItems() + 1);
        engine->textOverlay->Load(bar);
        engine->fontManager->Load(bar);
        loadSteps = bar.getDoneSteps();
    }

    static void TearDownTestSuite()
    {
        delete engine;
        engine = nullptr;
    }

    void SetUp() override { overlay().Clear(); }

    static vroTextOverlay& overlay() { return *engine->textOverlay; }
    static std::vector<std::uint8_t> canvas() { return readTexture(overlay().getTexture()->getID(), kWidth, kHeight); }

    // What the font itself draws for these pen starts and pixel size on a
    // blank canvas of the window's size.
    static std::vector<std::uint8_t> drawnDirectly(const std::vector<std::pair<std::string, glm::ivec2>>& texts,
                                                   int pixelSize)
    {
        vroTexture reference(glm::ivec2(kWidth, kHeight), GL_UNSIGNED_BYTE);
        reference.Load();
        reference.BindToUnit(0);
        for (const auto& text : texts)
            engine->fontManager->getFont("DejaVu")->RenderText(text.first, pixelSize, text.second,
                                                               glm::ivec2(kWidth, kHeight));
        glBindTexture(GL_TEXTURE_2D, 0);
        return readTexture(reference.getID(), kWidth, kHeight);
    }

    static vroEngine* engine;
    static int loadSteps;
};

vroEngine* TextOverlay::engine = nullptr;
int TextOverlay::loadSteps = 0;

TEST_F(TextOverlay, LoadMakesABlankWindowSizedCanvasInOneStep)
{
    EXPECT_EQ(loadSteps, 2);
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, overlay().getTexture()->getID());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    EXPECT_TRUE(allZero(canvas()));
}

TEST_F(TextOverlay, WriteScalesPositionAndSizeToTheWindow)
{
    overlay().Write("Kelvandrix", 36, glm::vec2(-0.5f, 0.05f), "DejaVu");
    const std::vector<std::uint8_t> written = canvas();
    EXPECT_FALSE(allZero(written));
    EXPECT_EQ(written, drawnDirectly({{"Kelvandrix", glm::ivec2(320, 342)}}, 259));
}

TEST_F(TextOverlay, PositionZeroIsTheCentre)
{
    overlay().Write("Mg", 10, glm::vec2(0.0f, 0.0f), "DejaVu");
    EXPECT_EQ(canvas(), drawnDirectly({{"Mg", glm::ivec2(kWidth / 2, kHeight / 2)}}, 72));
}

TEST_F(TextOverlay, WritesAccumulateUntilCleared)
{
    overlay().Write("WE LIKE", 10, glm::vec2(-0.75f, 0.5f), "DejaVu");
    overlay().Write("YOU", 10, glm::vec2(0.25f, -0.5f), "DejaVu");
    EXPECT_EQ(canvas(), drawnDirectly({{"WE LIKE", glm::ivec2(160, 180)}, {"YOU", glm::ivec2(800, 540)}}, 72));

    overlay().Clear();
    EXPECT_TRUE(allZero(canvas()));
}

TEST_F(TextOverlay, TheCanvasStaysBoundOnTheChannelUnitAfterWrite)
{
    glActiveTexture(GL_TEXTURE1);
    overlay().Write("A", 10, glm::vec2(0.0f, 0.0f), "DejaVu");
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0 + VRO_CHANNEL_TEXT);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(overlay().getTexture()->getID()));

    overlay().Clear();
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0 + VRO_CHANNEL_TEXT);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), 0);
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(TextOverlay, AnUnregisteredFontDrawsNothing)
{
    overlay().Write("Kelvandrix", 36, glm::vec2(-0.5f, 0.05f), "Steelfish");
    EXPECT_TRUE(allZero(canvas()));
}

TEST_F(TextOverlay, AnOverlayNeverLoadedHasNoCanvasAndIgnoresClearAndWrite)
{
    vroTextOverlay& debug = *engine->debugTextOverlay;
    EXPECT_EQ(debug.getTexture(), nullptr);
    glActiveTexture(GL_TEXTURE2);
    debug.Clear();
    debug.Write("debug", 36, glm::vec2(0.0f, 0.0f), "DejaVu");
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(debug.getTexture(), nullptr);
    glActiveTexture(GL_TEXTURE0);
}

} // namespace
