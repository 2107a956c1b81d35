#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "vroGL.h"
#include <glm/vec2.hpp>

class vroTextureAsset;
class vroTextureObject;

// The engine's one texture kind: 2D, internal format GL_RGBA, nearest
// filtering, clamp to edge, no mipmaps. Load can re-specify the image at any
// time: a texture made from pixels keeps its CPU pixel buffer for its whole
// life for that, and a blank one is cleared to zeros again by the driver (the
// text overlay clears its canvas that way).
class vroTexture {
public:
    // From an image file, decoded on the first Load.
    explicit vroTexture(std::string fileName);
    // Adopts `pixels` (from malloc; released with free) as RGBA of `type`.
    vroTexture(void* pixels, glm::ivec2 dimensions, GLenum type);
    // Blank: all zeros after every Load, whatever the format and type. No
    // CPU buffer is kept (only a driver that cannot clear textures gets one
    // of zeros, at the first Load).
    vroTexture(glm::ivec2 dimensions, GLenum type);
    vroTexture(glm::ivec2 dimensions, GLenum format, GLenum type);
    ~vroTexture();

    vroTexture(const vroTexture&) = delete;
    vroTexture& operator=(const vroTexture&) = delete;

    // Decodes if not done yet, then uploads the whole image; the active unit
    // is left with no texture bound.
    void Load();
    // Decodes the image file again and uploads it; a file that cannot be
    // decoded leaves the picture as it was and gives false. Only for
    // textures made from a file.
    bool Reload();
    // The image file's name; empty for a texture not made from a file.
    std::string getFileName() const;
    void BindToUnit(GLuint unit);
    GLuint getID() const;

private:
    void takeDecodedImage();
    void uploadZeros();

    struct FreeDeleter {
        void operator()(void* pointer) const { std::free(pointer); }
    };

    std::unique_ptr<vroTextureAsset> asset;
    std::unique_ptr<vroTextureObject> object;
    std::unique_ptr<void, FreeDeleter> data;
    glm::ivec2 dimensions{0, 0};
    GLenum format = GL_RGBA;
    GLenum type = GL_UNSIGNED_BYTE;
};
