#pragma once

// The engine's GL on the desktop: OpenGL 4.1 core, its entry points resolved
// by libepoxy. The page has its own file of this name (platform/web); each
// build puts one of the two on the include path.
#include <epoxy/gl.h>

// A render buffer of this format gives the depth precision the driver prefers.
constexpr GLenum kDepthBufferFormat = GL_DEPTH_COMPONENT;

// The type storage of an unsized format is specified with when it is to be
// zeros: the one asked for, as the driver picks the storage by format alone.
inline GLenum zeroStorageType(GLenum type)
{
    return type;
}

// Whether clearTextureToZero can fill a texture on the driver's side.
inline bool clearsTextures()
{
    return epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_clear_texture");
}

inline void clearTextureToZero(GLuint texture, GLenum format, GLenum type)
{
    glClearTexImage(texture, 0, format, type, nullptr);
}

inline bool logicOpEnabled()
{
    return glIsEnabled(GL_COLOR_LOGIC_OP);
}

// Writes 8-bit coverage into the red channel of the bound RGBA texture's
// rectangle; GL makes green and blue 0 and alpha 1.
inline void uploadCoverage(GLint x, GLint y, GLsizei width, GLsizei height, const unsigned char* coverage)
{
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_RED, GL_UNSIGNED_BYTE, coverage);
}
