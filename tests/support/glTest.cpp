#include "glTest.h"

#include "vroEngine.h"
#include "vroWindow.h"

namespace testing_support {

std::unique_ptr<vroWindow> GLTest::sharedWindow;
std::unique_ptr<vroEngine> EngineTest::sharedEngine;

void GLTest::SetUpTestSuite()
{
    sharedWindow = std::make_unique<vroWindow>(kTestWidth, kTestHeight, "kelvandrix test", false);
}

void GLTest::TearDownTestSuite()
{
    sharedWindow.reset();
}

vroWindow& GLTest::window()
{
    return *sharedWindow;
}

void EngineTest::SetUpTestSuite()
{
    sharedEngine = std::make_unique<vroEngine>(kTestWidth, kTestHeight, "kelvandrix test", false);
}

void EngineTest::TearDownTestSuite()
{
    sharedEngine.reset();
}

vroEngine& EngineTest::engine()
{
    return *sharedEngine;
}

glm::u8vec4 readPixel(int x, int y)
{
    glm::u8vec4 pixel;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

std::vector<std::uint8_t> readPixels(int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

GLint getInteger(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::vector<std::uint8_t> readTexture(GLuint texture, int width, int height)
{
    std::vector<std::uint8_t> texels(static_cast<size_t>(width) * height * 4);
    GLint previous = getInteger(GL_TEXTURE_BINDING_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return texels;
}

} // namespace testing_support
