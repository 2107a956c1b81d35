#pragma once

#include <cstdint>

#include "vroGL.h"

// One GL buffer object. Vertex data are tightly packed 32-bit floats; the
// stride counts floats per vertex (1 to 4), not bytes.
class vroGLBuffer {
public:
    vroGLBuffer();
    explicit vroGLBuffer(GLenum target);
    ~vroGLBuffer();

    vroGLBuffer(const vroGLBuffer&) = delete;
    vroGLBuffer& operator=(const vroGLBuffer&) = delete;

    void Bind();
    // Replaces the whole storage with `count` floats.
    void UploadData(std::int64_t count, const void* data, GLenum usage);
    void SetStride(unsigned floatsPerVertex);
    unsigned GetStride() const { return stride; }
    std::int32_t getLength() const { return length; }
    GLuint getID() const { return id; }
    GLenum getTarget() const { return target; }

private:
    GLuint id = 0;
    GLenum target = GL_ARRAY_BUFFER;
    unsigned stride = 3;
    std::int32_t length = 0;
};
