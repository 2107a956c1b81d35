#pragma once

// The engine's GL in the page: WebGL 2 through the OpenGL ES 3.0 API that
// emscripten maps onto it. The desktop has its own file of this name
// (platform/desktop); each build puts one of the two on the include path.
#include <GLES3/gl3.h>

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
