#pragma once

#include <memory>
#include <vector>

#include "vroGL.h"
#include <glm/vec2.hpp>

class vroFlipFlopTexture;
class vroTexture;

// An off-screen render target: one framebuffer object whose colour
// attachments are each backed by a flip-flop pair, plus one depth
// renderbuffer shared by all of them. Render into the back textures, Flip
// (while bound), then sample the fronts.
class vroFramebuffer {
public:
    vroFramebuffer(int width, int height);
    vroFramebuffer(int width, int height, int count);
    ~vroFramebuffer();

    vroFramebuffer(const vroFramebuffer&) = delete;
    vroFramebuffer& operator=(const vroFramebuffer&) = delete;

    // Allocates every texture and the depth buffer, attaches them and sets
    // one draw buffer per attachment; leaves nothing bound.
    void Setup();
    void Bind();
    void Unbind();
    // Swaps every pair and attaches the new back textures to the framebuffer
    // bound at the time.
    void Flip();

    vroTexture* GetTexturePtr();
    GLuint GetTextureID();
    // Indices past the last attachment give the last one.
    vroTexture* GetTexturePtr(int index);
    GLuint GetTextureID(int index);

private:
    void attachBack(int index);

    GLuint fbo = 0;
    GLuint depthBuffer = 0;
    std::vector<std::unique_ptr<vroFlipFlopTexture>> textures;
    glm::ivec2 size;
    int count;
};
