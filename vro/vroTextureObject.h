#pragma once

#include "vroGL.h"
#include <glm/vec2.hpp>

// One GL texture name with the engine's fixed sampling: nearest filtering,
// clamp to edge, no mipmaps.
class vroTextureObject {
public:
    vroTextureObject(GLenum target, GLenum internalFormat);
    ~vroTextureObject();

    vroTextureObject(const vroTextureObject&) = delete;
    vroTextureObject& operator=(const vroTextureObject&) = delete;

    // Re-specifies level 0 from `pixels` on the active unit and leaves that
    // unit with no texture bound.
    void Upload(const void* pixels, GLenum format, GLenum type, glm::ivec2 size);
    // Re-specifies level 0 as all zeros without sending any pixels, on the
    // active unit, and leaves that unit with no texture bound. False when the
    // driver cannot clear a texture (before GL 4.4): nothing is changed then.
    bool UploadZeros(GLenum format, GLenum type, glm::ivec2 size);
    void BindToUnit(GLuint unit);
    GLuint getID() const { return id; }

private:
    void specify(const void* pixels, GLenum format, GLenum type, glm::ivec2 size);

    GLuint id = 0;
    GLenum target;
    GLenum internalFormat;
    glm::ivec2 dimensions{0, 0};
};
