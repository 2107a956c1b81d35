#include "vroFramebuffer.h"

#include "vroFlipFlopTexture.h"
#include "vroTexture.h"

#include <algorithm>
#include <cassert>

vroFramebuffer::vroFramebuffer(int width, int height)
    : vroFramebuffer(width, height, 1)
{
}

vroFramebuffer::vroFramebuffer(int width, int height, int count)
    : size(width, height)
    , count(count)
{
    assert(count >= 1 && "a framebuffer has at least one colour attachment");
    glGenFramebuffers(1, &fbo);
    glGenRenderbuffers(1, &depthBuffer);
    for (int i = 0; i < count; ++i)
        textures.push_back(std::make_unique<vroFlipFlopTexture>(size));
}

vroFramebuffer::~vroFramebuffer()
{
    glDeleteFramebuffers(1, &fbo);
    glDeleteRenderbuffers(1, &depthBuffer);
    textures.clear();
}

void vroFramebuffer::Setup()
{
    for (auto& texture : textures)
        texture->Load();
    Bind();
    for (int i = 0; i < count; ++i)
        attachBack(i);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, kDepthBufferFormat, size.x, size.y);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    std::vector<GLenum> drawBuffers;
    for (int k = 0; k < count; ++k)
        drawBuffers.push_back(GL_COLOR_ATTACHMENT0 + k);
    glDrawBuffers(count, drawBuffers.data());
    Unbind();
}

void vroFramebuffer::Bind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
}

void vroFramebuffer::Unbind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void vroFramebuffer::Flip()
{
    for (int i = 0; i < count; ++i) {
        textures[i]->Flip();
        attachBack(i);
    }
}

void vroFramebuffer::attachBack(int index)
{
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + index, GL_TEXTURE_2D,
                           textures[index]->getBack()->getID(), 0);
}

vroTexture* vroFramebuffer::GetTexturePtr()
{
    return GetTexturePtr(0);
}

GLuint vroFramebuffer::GetTextureID()
{
    return GetTextureID(0);
}

vroTexture* vroFramebuffer::GetTexturePtr(int index)
{
    assert(index >= 0 && "attachment indices start at 0");
    return textures[std::min(index, count - 1)]->getFront();
}

GLuint vroFramebuffer::GetTextureID(int index)
{
    return GetTexturePtr(index)->getID();
}
