// The run folder that the data pieces assemble: every shader under its own
// name, the fonts the production opens (usable by FreeType for its texts) with
// the display face's licence, and the closing picture.
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include "shaderFiles.h"
#include "testFiles.h"

using testing_support::readFile;
using testing_support::runDir;

namespace {

void expectFontDrawsTheProductionsCharacters(const std::string& name)
{
    SCOPED_TRACE(name);
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, (runDir() / name).c_str(), 0, &face), 0);
    // The text overlay's size for the production's texts on a 720-line window.
    EXPECT_EQ(FT_Set_Pixel_Sizes(face, 0, 259), 0);
    ASSERT_EQ(FT_Load_Char(face, 'M', FT_LOAD_RENDER), 0);
    EXPECT_GT(face->glyph->bitmap.width, 0u);
    EXPECT_GT(face->glyph->bitmap.rows, 0u);
    for (char c = 'A'; c <= 'Z'; ++c)
        EXPECT_NE(FT_Get_Char_Index(face, static_cast<FT_ULong>(c)), 0u) << c;
    for (char c = '0'; c <= '9'; ++c)
        EXPECT_NE(FT_Get_Char_Index(face, static_cast<FT_ULong>(c)), 0u) << c;
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

} // namespace

TEST(RunFolder, HoldsEveryShaderFileUnderItsOwnName)
{
    for (const auto& names : {vertexShaderFiles(), fragmentShaderFiles()})
        for (const std::string& name : names) {
            SCOPED_TRACE(name);
            const std::string copied = readFile(runDir() / name);
            EXPECT_FALSE(copied.empty());
            EXPECT_EQ(copied, readFile(shaderFile(name)));
        }
}

TEST(RunFolder, HoldsTheFontsTheProductionOpensAndTheDisplayFacesLicence)
{
    EXPECT_EQ(readFile(runDir() / "steelfish rg.ttf"), readFile("/usr/share/fonts/opentype/bebas-neue/BebasNeue-Regular.otf"));
    EXPECT_EQ(readFile(runDir() / "default.ttf"), readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    expectFontDrawsTheProductionsCharacters("steelfish rg.ttf");
    expectFontDrawsTheProductionsCharacters("default.ttf");
    EXPECT_NE(readFile(runDir() / "LICENSE-steelfish-rg.txt").find("Open Font License"), std::string::npos);
}

TEST(RunFolder, HoldsTheClosingPictureAtTheWindowSize)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load((runDir() / "ende.png").c_str(), &width, &height, &channels, 4);
    ASSERT_NE(pixels, nullptr) << stbi_failure_reason();
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    stbi_image_free(pixels);
}
