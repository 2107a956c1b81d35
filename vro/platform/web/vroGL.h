#pragma once

// The engine's GL in the page: WebGL 2 through the OpenGL ES 3.0 API that
// emscripten maps onto it. The desktop has its own file of this name
// (platform/desktop); each build puts one of the two on the include path.
#include <GLES3/gl3.h>

#include <cstddef>
#include <vector>

// ES takes only sized depth formats; 24 bits is what the desktop driver
// gives the unsized one.
constexpr GLenum kDepthBufferFormat = GL_DEPTH_COMPONENT24;

// WebGL takes an unsized format only with a byte type. Unsized RGBA is
// stored at 8 bits a channel on the desktop too, whatever type it is
// specified with, so bytes give the same storage.
inline GLenum zeroStorageType(GLenum)
{
    return GL_UNSIGNED_BYTE;
}

// WebGL fills storage specified without pixels with zeros itself.
inline bool clearsTextures()
{
    return true;
}

inline void clearTextureToZero(GLuint, GLenum, GLenum)
{
}

// ES has no logic operations.
inline bool logicOpEnabled()
{
    return false;
}

// Writes 8-bit coverage into the red channel of the bound RGBA texture's
// rectangle, green and blue 0 and alpha 1, as the desktop's GL does from red
// alone. WebGL writes an unsized RGBA texture only from RGBA bytes.
inline void uploadCoverage(GLint x, GLint y, GLsizei width, GLsizei height, const unsigned char* coverage)
{
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<unsigned char> rgba(pixels * 4, 0);
    for (std::size_t i = 0; i < pixels; ++i) {
        rgba[i * 4] = coverage[i];
        rgba[i * 4 + 3] = 255;
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}
