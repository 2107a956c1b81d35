#include "vroFramebuffer.h"
#include "vroTexture.h"
#include "vroWindow.h"

#include "glTest.h"

#include <type_traits>

using namespace testing_support;

namespace {

static_assert(!std::is_copy_constructible_v<vroFramebuffer> && !std::is_copy_assignable_v<vroFramebuffer>);

constexpr int kWidth = kTestWidth;
constexpr int kHeight = kTestHeight;

GLint attachmentParameter(GLenum attachment, GLenum name)
{
    GLint value = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, name, &value);
    return value;
}

GLuint attachedTexture(vroFramebuffer& framebuffer, GLenum attachment)
{
    framebuffer.Bind();
    GLint name = attachmentParameter(attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME);
    framebuffer.Unbind();
    return static_cast<GLuint>(name);
}

// True when every texel of the texture is that colour.
bool filledWith(vroTexture* texture, glm::u8vec4 colour)
{
    std::vector<std::uint8_t> texels = readTexture(texture->getID(), kWidth, kHeight);
    for (size_t i = 0; i < texels.size(); i += 4)
        if (glm::u8vec4(texels[i], texels[i + 1], texels[i + 2], texels[i + 3]) != colour)
            return false;
    return true;
}

void renderClear(vroFramebuffer& framebuffer, vroWindow& window, glm::vec3 colour)
{
    framebuffer.Bind();
    window.clear(colour);
    framebuffer.Flip();
    framebuffer.Unbind();
}

using Framebuffer = GLTest;

TEST_F(Framebuffer, OneAttachmentAndADepthBufferOfTheSameSize)
{
    vroFramebuffer framebuffer(kWidth, kHeight);
    framebuffer.Setup();
    framebuffer.Bind();

    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(attachmentParameter(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_TEXTURE);
    EXPECT_EQ(attachmentParameter(GL_COLOR_ATTACHMENT1, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_NONE);
    EXPECT_EQ(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_RENDERBUFFER);
    EXPECT_GT(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE), 0);
    EXPECT_EQ(getInteger(GL_DRAW_BUFFER0), GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(getInteger(GL_DRAW_BUFFER1), GL_NONE);

    GLuint depth = static_cast<GLuint>(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME));
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    GLint width = 0, height = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    framebuffer.Unbind();
}

TEST_F(Framebuffer, SetupLeavesNothingBound)
{
    vroFramebuffer framebuffer(kWidth, kHeight, 2);
    framebuffer.Setup();
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(getInteger(GL_RENDERBUFFER_BINDING), 0);
}

TEST_F(Framebuffer, AfterSetupTheFrontIsBlankAndTheOtherTextureIsAttached)
{
    vroFramebuffer framebuffer(kWidth, kHeight);
    framebuffer.Setup();
    EXPECT_TRUE(filledWith(framebuffer.GetTexturePtr(), glm::u8vec4(0, 0, 0, 0)));
    GLuint attached = attachedTexture(framebuffer, GL_COLOR_ATTACHMENT0);
    EXPECT_NE(attached, 0u);
    EXPECT_NE(attached, framebuffer.GetTextureID());
}

TEST_F(Framebuffer, EachFlipShowsTheImageJustRenderedAndAttachesTheOther)
{
    vroFramebuffer framebuffer(kWidth, kHeight);
    framebuffer.Setup();

    renderClear(framebuffer, window(), glm::vec3(1, 0, 0));
    vroTexture* red = framebuffer.GetTexturePtr();
    EXPECT_TRUE(filledWith(red, glm::u8vec4(255, 0, 0, 255)));
    EXPECT_NE(attachedTexture(framebuffer, GL_COLOR_ATTACHMENT0), red->getID());

    renderClear(framebuffer, window(), glm::vec3(0, 1, 0));
    EXPECT_NE(framebuffer.GetTexturePtr(), red);
    EXPECT_TRUE(filledWith(framebuffer.GetTexturePtr(), glm::u8vec4(0, 255, 0, 255)));
    EXPECT_EQ(framebuffer.GetTextureID(), framebuffer.GetTexturePtr()->getID());
    EXPECT_EQ(attachedTexture(framebuffer, GL_COLOR_ATTACHMENT0), red->getID());
    EXPECT_TRUE(filledWith(red, glm::u8vec4(255, 0, 0, 255)));
}

TEST_F(Framebuffer, EveryAttachmentIsADrawBufferAndIndicesPastTheLastGiveTheLast)
{
    vroFramebuffer framebuffer(kWidth, kHeight, 3);
    framebuffer.Setup();
    framebuffer.Bind();
    const GLfloat blue[] = {0, 0, 1, 1};
    glClearBufferfv(GL_COLOR, 2, blue);
    framebuffer.Flip();
    framebuffer.Unbind();

    EXPECT_EQ(framebuffer.GetTexturePtr(7), framebuffer.GetTexturePtr(2));
    EXPECT_EQ(framebuffer.GetTextureID(7), framebuffer.GetTexturePtr(2)->getID());
    EXPECT_TRUE(filledWith(framebuffer.GetTexturePtr(7), glm::u8vec4(0, 0, 255, 255)));
    EXPECT_TRUE(filledWith(framebuffer.GetTexturePtr(1), glm::u8vec4(0, 0, 0, 0)));
    EXPECT_TRUE(filledWith(framebuffer.GetTexturePtr(0), glm::u8vec4(0, 0, 0, 0)));
}

} // namespace
