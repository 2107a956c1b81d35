#include "vroTexture.h"

#include "glTest.h"
#include "testFiles.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <type_traits>
#include <vector>

#include <sys/stat.h>

using namespace testing_support;

namespace {

static_assert(!std::is_copy_constructible_v<vroTexture> && !std::is_copy_assignable_v<vroTexture>);

GLint levelParameter(GLuint texture, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

GLint textureParameter(GLuint texture, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

bool allZero(const std::vector<std::uint8_t>& bytes)
{
    for (std::uint8_t byte : bytes)
        if (byte != 0)
            return false;
    return true;
}

class Texture : public GLTest {
protected:

    TempDir dir;
};

TEST_F(Texture, FileTextureUploadsTheImageTopRowFirstWithTheEngineSampling)
{
    vroTexture texture(dir.writePng("quad.png", kTwoByTwo, 2, 2));
    texture.Load();

    EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_RED_SIZE), 8);
    EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_ALPHA_SIZE), 8);
    EXPECT_EQ(readTexture(texture.getID(), 2, 2), kTwoByTwo);
    EXPECT_EQ(textureParameter(texture.getID(), GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(textureParameter(texture.getID(), GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(textureParameter(texture.getID(), GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(textureParameter(texture.getID(), GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
}

TEST_F(Texture, LoadLeavesTheActiveUnitActiveWithNothingBound)
{
    vroTexture texture(dir.writePng("quad.png", kTwoByTwo, 2, 2));
    texture.BindToUnit(3);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture.getID()));

    texture.Load();
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), 0);
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(Texture, SecondLoadUploadsAgainWithoutDecodingAgain)
{
    std::string path = dir.writePng("quad.png", kTwoByTwo, 2, 2);
    vroTexture texture(path);
    texture.Load();
    std::filesystem::remove(path);
    const std::uint8_t scribble[4] = {9, 9, 9, 9};
    glBindTexture(GL_TEXTURE_2D, texture.getID());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, scribble);
    glBindTexture(GL_TEXTURE_2D, 0);

    testing::internal::CaptureStderr();
    texture.Load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(readTexture(texture.getID(), 2, 2), kTwoByTwo);
}

TEST_F(Texture, UndecodableFileBecomesOneTransparentTexelAndIsNamedOnce)
{
    dir.write("truncated.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR");
    // A FIFO without a writer must not block the load.
    ASSERT_EQ(mkfifo(dir.file("piped.png").c_str(), 0644), 0);
    for (const std::string name : {"missing.png", "truncated.png", "piped.png"}) {
        std::string path = dir.file(name).string();
        vroTexture texture(path);
        testing::internal::CaptureStderr();
        texture.Load();
        texture.Load();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "texture: cannot decode \"" + path + "\"\n");
        EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_WIDTH), 1);
        EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_HEIGHT), 1);
        EXPECT_EQ(readTexture(texture.getID(), 1, 1), std::vector<std::uint8_t>(4, 0));
    }

    // Decodable, but taller than any texture may be: it would upload as nothing.
    const int tooTall = getInteger(GL_MAX_TEXTURE_SIZE) + 1;
    vroTexture texture(dir.writePng("tall.png", std::vector<std::uint8_t>(static_cast<size_t>(tooTall) * 4, 255), 1,
                                    tooTall));
    testing::internal::CaptureStderr();
    texture.Load();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("tall.png\" is 1x" + std::to_string(tooTall)),
              std::string::npos);
    EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(readTexture(texture.getID(), 1, 1), std::vector<std::uint8_t>(4, 0));
}

// The driver would refuse it without a word and sample the texture as black.
TEST_F(Texture, ImageWiderThanTheDriverAllowsIsNamedAndNeverUploaded)
{
    const int width = getInteger(GL_MAX_TEXTURE_SIZE) + 1;
    const std::string wide = dir.writePng("wide.png", std::vector<std::uint8_t>(4 * width, 255), width, 1);
    const std::string refusal = "texture: \"" + wide + "\" is " + std::to_string(width) + "x1, larger than the "
                                + std::to_string(width - 1) + " pixels a side this GL allows\n";
    vroTexture texture(wide);
    testing::internal::CaptureStderr();
    texture.Load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), refusal);
    EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(readTexture(texture.getID(), 1, 1), std::vector<std::uint8_t>(4, 0));

    // A bare 54-byte BMP header is refused by the size it claims, before a
    // picture of that size is asked for; stb would take it for one of zeros.
    const int tall = 1 << 20;
    std::string header = "BM";
    for (std::uint32_t field : {54u, 0u, 54u, 40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(tall)})
        header.append(reinterpret_cast<const char*>(&field), 4);
    header += std::string("\1\0\x20\0", 4) + std::string(24, '\0');
    dir.write("header.png", header);
    vroTexture claimed(dir.file("header.png").string());
    testing::internal::CaptureStderr();
    claimed.Load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "texture: \"" + dir.file("header.png").string() + "\" is "
                                                          + std::to_string(width) + "x" + std::to_string(tall)
                                                          + refusal.substr(refusal.find(", larger")));

    const std::string path = dir.writePng("quad.png", kTwoByTwo, 2, 2);
    vroTexture reloaded(path);
    reloaded.Load();
    std::filesystem::copy_file(wide, path, std::filesystem::copy_options::overwrite_existing);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(reloaded.Reload());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "texture: \"" + path + "\"" + refusal.substr(refusal.find(" is ")));
    EXPECT_EQ(readTexture(reloaded.getID(), 2, 2), kTwoByTwo);
}

TEST_F(Texture, EmptyTextureReloadsAllZeroOverWhatWasDrawnIntoIt)
{
    const int width = 1280, height = 720;
    vroTexture texture(glm::ivec2(width, height), GL_UNSIGNED_BYTE);
    texture.Load();
    EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_WIDTH), width);
    EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_HEIGHT), height);
    EXPECT_TRUE(allZero(readTexture(texture.getID(), width, height)));

    std::vector<std::uint8_t> white(64 * 64 * 4, 255);
    glBindTexture(GL_TEXTURE_2D, texture.getID());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 100, 200, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, white.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    ASSERT_FALSE(allZero(readTexture(texture.getID(), width, height)));
    texture.Load();
    EXPECT_TRUE(allZero(readTexture(texture.getID(), width, height)));
}

TEST_F(Texture, AdoptedFloatPixelsKeepTheirOrderAndStayUnsizedRgba)
{
    const float pixels[] = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f, 0.5f, 0.5f, 1.0f};
    void* buffer = std::malloc(sizeof pixels);
    ASSERT_NE(buffer, nullptr);
    std::memcpy(buffer, pixels, sizeof pixels);
    vroTexture texture(buffer, glm::ivec2(3, 1), GL_FLOAT);
    texture.Load();

    EXPECT_EQ(levelParameter(texture.getID(), GL_TEXTURE_RED_TYPE), GL_UNSIGNED_NORMALIZED);
    std::vector<std::uint8_t> texels = readTexture(texture.getID(), 3, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(texels.begin(), texels.begin() + 8),
              (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 0, 255, 0}));
    EXPECT_NEAR(texels[8], 128, 1);
    EXPECT_EQ(texels[11], 255);
}

TEST_F(Texture, EachTextureOwnsItsGLName)
{
    GLuint first = 0;
    {
        vroTexture a(glm::ivec2(4, 4), GL_UNSIGNED_BYTE);
        vroTexture b(glm::ivec2(4, 4), GL_RGBA, GL_FLOAT);
        EXPECT_NE(a.getID(), b.getID());
        a.Load();
        first = a.getID();
        EXPECT_TRUE(glIsTexture(first));
    }
    EXPECT_FALSE(glIsTexture(first));
}

} // namespace
