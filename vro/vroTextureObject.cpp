#include "vroTextureObject.h"

vroTextureObject::vroTextureObject(GLenum target, GLenum internalFormat)
    : target(target), internalFormat(internalFormat)
{
    glGenTextures(1, &id);
}

vroTextureObject::~vroTextureObject()
{
    glDeleteTextures(1, &id);
}

void vroTextureObject::Upload(const void* pixels, GLenum format, GLenum type, glm::ivec2 size)
{
    specify(pixels, format, type, size);
    glBindTexture(target, 0);
}

bool vroTextureObject::UploadZeros(GLenum format, GLenum type, glm::ivec2 size)
{
    if (!clearsTextures())
        return false;
    // Storage without pixels, then a clear on the driver's side: no zero
    // buffer is written, read or copied on the CPU.
    specify(nullptr, format, zeroStorageType(type), size);
    clearTextureToZero(id, format, type);
    glBindTexture(target, 0);
    return true;
}

void vroTextureObject::specify(const void* pixels, GLenum format, GLenum type, glm::ivec2 size)
{
    dimensions = size;
    glBindTexture(target, id);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(target, 0, static_cast<GLint>(internalFormat), dimensions.x, dimensions.y, 0, format, type, pixels);
}

void vroTextureObject::BindToUnit(GLuint unit)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(target, id);
}
