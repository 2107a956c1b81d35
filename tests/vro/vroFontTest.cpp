#include "vroFont.h"
#include "vroFontManager.h"
#include "vroProgressBar.h"
#include "vroTexture.h"

#include "glTest.h"
#include "testFiles.h"

#include <cstdlib>
#include <type_traits>
#include <vector>

#include <sys/stat.h>

using namespace testing_support;

namespace {

static_assert(!std::is_copy_constructible_v<vroFont> && !std::is_copy_assignable_v<vroFont>);
static_assert(!std::is_copy_constructible_v<vroFontManager> && !std::is_copy_assignable_v<vroFontManager>);

const char* const kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const glm::u8vec4 kBlank(0, 0, 0, 0);

// What FreeType itself makes of one character, read independently of the
// engine so the canvas can be checked against it.
struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    int advance = 0;
    int bearingX = 0;
    int vertBearingY = 0;
    std::vector<std::uint8_t> coverage;
};

class Reference {
public:
    Reference()
    {
        FT_Init_FreeType(&library);
        FT_New_Face(library, kFontFile, 0, &face);
    }
    ~Reference()
    {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }

    Glyph glyph(FT_ULong code, int size)
    {
        FT_Set_Pixel_Sizes(face, 0, size);
        FT_Load_Char(face, code, FT_LOAD_RENDER);
        const FT_GlyphSlot slot = face->glyph;
        Glyph glyph;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.width = static_cast<int>(slot->bitmap.width);
        glyph.rows = static_cast<int>(slot->bitmap.rows);
        glyph.advance = static_cast<int>(slot->advance.x >> 6);
        glyph.bearingX = static_cast<int>(slot->metrics.horiBearingX >> 6);
        glyph.vertBearingY = static_cast<int>(slot->metrics.vertBearingY >> 6);
        glyph.coverage.assign(slot->bitmap.buffer, slot->bitmap.buffer + glyph.width * glyph.rows);
        return glyph;
    }

    // Top-left corner of the first glyph of a text that starts with `glyph`.
    glm::ivec2 firstGlyphCorner(const Glyph& first, int size, glm::ivec2 start)
    {
        const Glyph m = glyph('M', size);
        return glm::ivec2(start.x + m.bearingX + first.left,
                          start.y - m.vertBearingY + (size - first.top) - size / 2);
    }

    // The pen start that puts the first glyph's corner at `corner`.
    glm::ivec2 startFor(const Glyph& first, int size, glm::ivec2 corner)
    {
        return corner - (firstGlyphCorner(first, size, glm::ivec2(0, 0)));
    }

private:
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

// A texture to draw into, filled with one colour.
class Canvas {
public:
    explicit Canvas(glm::ivec2 size, glm::u8vec4 fill = kBlank)
        : size(size)
        , texture(filled(size, fill), size, GL_UNSIGNED_BYTE)
    {
        texture.Load();
    }

    void draw(vroFont& font, const std::string& text, int pixelSize, glm::ivec2 start)
    {
        texture.BindToUnit(0);
        font.RenderText(text, pixelSize, start, size);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    std::vector<std::uint8_t> texels() const { return readTexture(texture.getID(), size.x, size.y); }
    GLuint id() const { return texture.getID(); }

    bool isAll(glm::u8vec4 colour) const
    {
        const std::vector<std::uint8_t> all = texels();
        for (std::size_t i = 0; i < all.size(); i += 4)
            if (glm::u8vec4(all[i], all[i + 1], all[i + 2], all[i + 3]) != colour)
                return false;
        return true;
    }

    const glm::ivec2 size;

private:
    static void* filled(glm::ivec2 size, glm::u8vec4 fill)
    {
        const std::size_t count = static_cast<std::size_t>(size.x) * size.y;
        auto* bytes = static_cast<glm::u8vec4*>(std::malloc(count * sizeof(glm::u8vec4)));
        for (std::size_t i = 0; i < count; ++i)
            bytes[i] = fill;
        return bytes;
    }

    vroTexture texture;
};

class Font : public GLTest {
protected:
    Font()
        : manager(std::make_unique<vroFontManager>())
    {
        manager->addFont("DejaVu", kFontFile);
        vroProgressBar bar(&window());
        bar.AddSteps(manager->HowManyItems());
        manager->Load(bar);
        font = manager->getFont("DejaVu");
    }

    // The canvas after drawing one text on a blank canvas.
    std::vector<std::uint8_t> drawn(const std::string& text, int size, glm::ivec2 start,
                                    glm::ivec2 canvasSize = glm::ivec2(200, 100))
    {
        Canvas canvas(canvasSize);
        canvas.draw(*font, text, size, start);
        return canvas.texels();
    }

    bool drawsAnything(const std::string& text, int size, glm::ivec2 start, glm::ivec2 canvasSize)
    {
        return drawn(text, size, start, canvasSize) != Canvas(canvasSize).texels();
    }

    std::unique_ptr<vroFontManager> manager;
    vroFont* font = nullptr;
    Reference reference;
};

TEST_F(Font, AGlyphRectangleReplacesTheTexelsUnderItWithRedCoverageAndFullAlpha)
{
    const int size = 32;
    const glm::ivec2 start(20, 60);
    const Glyph m = reference.glyph('M', size);
    const glm::ivec2 corner = reference.firstGlyphCorner(m, size, start);
    const glm::u8vec4 background(10, 20, 30, 40);
    Canvas canvas(glm::ivec2(100, 80), background);

    canvas.draw(*font, "M", size, start);

    const std::vector<std::uint8_t> texels = canvas.texels();
    int insideTexels = 0;
    for (int y = 0; y < canvas.size.y; ++y)
        for (int x = 0; x < canvas.size.x; ++x) {
            const std::uint8_t* texel = &texels[(static_cast<std::size_t>(y) * canvas.size.x + x) * 4];
            const glm::ivec2 inGlyph = glm::ivec2(x, y) - corner;
            glm::u8vec4 expected = background;
            if (inGlyph.x >= 0 && inGlyph.y >= 0 && inGlyph.x < m.width && inGlyph.y < m.rows) {
                expected = glm::u8vec4(m.coverage[inGlyph.y * m.width + inGlyph.x], 0, 0, 255);
                ++insideTexels;
            }
            ASSERT_EQ(glm::u8vec4(texel[0], texel[1], texel[2], texel[3]), expected) << "at " << x << ", " << y;
        }
    EXPECT_EQ(insideTexels, m.width * m.rows);
    EXPECT_GT(insideTexels, 0);
}

TEST_F(Font, DrawingChangesNoBinding)
{
    Canvas canvas(glm::ivec2(100, 80));
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, canvas.id());
    font->RenderText("Mg", 24, glm::ivec2(10, 40), canvas.size);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(canvas.id()));
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_FALSE(canvas.isAll(kBlank));
}

TEST_F(Font, EmptyTextAndSpacesDrawNothing)
{
    EXPECT_FALSE(drawsAnything("", 32, glm::ivec2(20, 60), glm::ivec2(200, 100)));
    EXPECT_FALSE(drawsAnything("     ", 32, glm::ivec2(20, 60), glm::ivec2(200, 100)));
}

TEST_F(Font, LeadingSpacesAdvanceByTheAdvanceOfM)
{
    const int size = 32;
    const int advanceOfM = reference.glyph('M', size).advance;
    ASSERT_GT(advanceOfM, 0);
    const std::vector<std::uint8_t> spaced = drawn("  A", size, glm::ivec2(10, 60));
    EXPECT_EQ(spaced, drawn("A", size, glm::ivec2(10 + 2 * advanceOfM, 60)));
    EXPECT_NE(spaced, drawn("A", size, glm::ivec2(10 + 2 * advanceOfM + 1, 60)));
}

TEST_F(Font, ASpaceAfterAGlyphAdvancesByThatGlyphsAdvance)
{
    const int size = 32;
    const int advanceOfA = reference.glyph('A', size).advance;
    ASSERT_NE(advanceOfA, reference.glyph('M', size).advance);
    const glm::ivec2 start(10, 60);

    Canvas separately(glm::ivec2(200, 100));
    separately.draw(*font, "A", size, start);
    separately.draw(*font, "B", size, start + glm::ivec2(2 * advanceOfA, 0));

    EXPECT_EQ(drawn("A B", size, start), separately.texels());
}

TEST_F(Font, AGlyphTouchingColumnZeroOrRowZeroIsLeftOut)
{
    const int size = 32;
    const glm::ivec2 canvas(100, 80);
    const Glyph m = reference.glyph('M', size);
    const glm::ivec2 atColumnZero = reference.startFor(m, size, glm::ivec2(0, 20));
    const glm::ivec2 atRowZero = reference.startFor(m, size, glm::ivec2(20, 0));

    EXPECT_FALSE(drawsAnything("M", size, atColumnZero, canvas));
    EXPECT_TRUE(drawsAnything("M", size, atColumnZero + glm::ivec2(1, 0), canvas));
    EXPECT_FALSE(drawsAnything("M", size, atRowZero, canvas));
    EXPECT_TRUE(drawsAnything("M", size, atRowZero + glm::ivec2(0, 1), canvas));
}

TEST_F(Font, AGlyphEndingOnTheLastColumnOrRowIsLeftOut)
{
    const int size = 32;
    const glm::ivec2 canvas(100, 80);
    const Glyph m = reference.glyph('M', size);
    const glm::ivec2 onLastColumn = reference.startFor(m, size, glm::ivec2(canvas.x - m.width, 20));
    const glm::ivec2 onLastRow = reference.startFor(m, size, glm::ivec2(20, canvas.y - m.rows));

    EXPECT_FALSE(drawsAnything("M", size, onLastColumn, canvas));
    EXPECT_TRUE(drawsAnything("M", size, onLastColumn - glm::ivec2(1, 0), canvas));
    EXPECT_FALSE(drawsAnything("M", size, onLastRow, canvas));
    EXPECT_TRUE(drawsAnything("M", size, onLastRow - glm::ivec2(0, 1), canvas));
}

TEST_F(Font, ALeftOutGlyphStillAdvancesThePen)
{
    const int size = 32;
    const Glyph m = reference.glyph('M', size);
    const glm::ivec2 start = reference.startFor(m, size, glm::ivec2(0, 20));
    EXPECT_EQ(drawn("MA", size, start), drawn("A", size, start + glm::ivec2(m.advance, 0)));
}

TEST_F(Font, SizeOneDropsTheHalfSizeLift)
{
    const Glyph m = reference.glyph('M', 1);
    ASSERT_GT(m.width * m.rows, 0);
    const glm::ivec2 start(10, 10);
    const glm::ivec2 corner(start.x + m.bearingX + m.left, start.y - m.vertBearingY + 1 - m.top);
    const std::vector<std::uint8_t> texels = drawn("M", 1, start, glm::ivec2(30, 30));
    const std::size_t index = (static_cast<std::size_t>(corner.y) * 30 + corner.x) * 4;
    EXPECT_EQ(texels[index + 3], 255);
    EXPECT_EQ(texels[index], m.coverage[0]);
    EXPECT_EQ(texels[index - 30 * 4 + 3], 0);
}

TEST_F(Font, TextIsUtf8AndStrayBytesAreLatin1)
{
    const int size = 32;
    const glm::ivec2 start(10, 60);
    const std::vector<std::uint8_t> eAcute = drawn("\xC3\xA9", size, start);
    EXPECT_NE(eAcute, Canvas(glm::ivec2(200, 100)).texels());
    EXPECT_EQ(drawn("\xE9", size, start), eAcute);
    EXPECT_NE(drawn("e", size, start), eAcute);
    // A lead byte without its continuation is the Latin-1 letter it stands for.
    EXPECT_EQ(drawn("\xC3(", size, start), drawn("\xC3\x83(", size, start));
    // Three bytes make one euro sign; cut short, they are Latin-1 letters.
    EXPECT_NE(drawn("\xE2\x82\xAC", size, start), drawn("\xC3\xA2\xC2\x82\xC2\xAC", size, start));
    EXPECT_EQ(drawn("\xE2\x82", size, start), drawn("\xC3\xA2\xC2\x82", size, start));
    // An overlong form of '/' is two Latin-1 letters, not a slash.
    EXPECT_EQ(drawn("\xC0\xAF", size, start), drawn("\xC3\x80\xC2\xAF", size, start));
}

// A FIFO without a writer in place of the file must not block the load.
TEST_F(Font, AFontThatDidNotOpenDrawsNothing)
{
    testing_support::TempDir dir;
    const std::string fifo = dir.file("piped.ttf").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string file : {"/nonexistent/steelfish rg.ttf", fifo.c_str()}) {
        manager->addFont(file, file);
        testing::internal::CaptureStderr();
        EXPECT_NE(manager->getFont(file)->Load(), 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "font: cannot open \"" + file + "\"\n");
        Canvas canvas(glm::ivec2(200, 100));
        canvas.draw(*manager->getFont(file), "Hello", 32, glm::ivec2(10, 60));
        EXPECT_TRUE(canvas.isAll(kBlank));
    }
}

using FontManager = GLTest;

TEST_F(FontManager, UnknownNamesGiveNull)
{
    vroFontManager manager;
    EXPECT_EQ(manager.getFont("Steelfish"), nullptr);
    manager.addFont("Steelfish", kFontFile);
    EXPECT_NE(manager.getFont("Steelfish"), nullptr);
    EXPECT_EQ(manager.getFont("steelfish"), nullptr);
}

TEST_F(FontManager, LoadsInNameOrderOneStepPerStoredFont)
{
    vroFontManager manager;
    manager.addFont("vro_default_font", "/nonexistent/default.ttf");
    manager.addFont("Steelfish", "/nonexistent/steelfish rg.ttf");
    EXPECT_EQ(manager.HowManyItems(), 2);
    vroProgressBar bar(&window());
    bar.AddSteps(manager.HowManyItems());
    testing::internal::CaptureStderr();
    manager.Load(bar);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "font: cannot open \"/nonexistent/steelfish rg.ttf\"\n"
              "font: cannot open \"/nonexistent/default.ttf\"\n");
    EXPECT_EQ(bar.getDoneSteps(), 2);
}

TEST_F(FontManager, TheFirstFontRegisteredUnderANameStays)
{
    vroFontManager manager;
    manager.addFont("Steelfish", kFontFile);
    manager.addFont("Steelfish", "/nonexistent/second.ttf");
    EXPECT_EQ(manager.HowManyItems(), 2);
    vroProgressBar bar(&window());
    bar.AddSteps(manager.HowManyItems());
    testing::internal::CaptureStderr();
    manager.Load(bar);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(bar.getDoneSteps(), 1);

    Canvas canvas(glm::ivec2(200, 100));
    canvas.draw(*manager.getFont("Steelfish"), "Hello", 32, glm::ivec2(10, 60));
    EXPECT_FALSE(canvas.isAll(kBlank));
}

} // namespace
