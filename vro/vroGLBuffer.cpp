#include "vroGLBuffer.h"

#include <cassert>
#include <limits>

vroGLBuffer::vroGLBuffer() : vroGLBuffer(GL_ARRAY_BUFFER)
{
}

vroGLBuffer::vroGLBuffer(GLenum bufferTarget) : target(bufferTarget)
{
    glGenBuffers(1, &id);
}

vroGLBuffer::~vroGLBuffer()
{
    glDeleteBuffers(1, &id);
}

void vroGLBuffer::Bind()
{
    glBindBuffer(target, id);
}

void vroGLBuffer::UploadData(std::int64_t count, const void* data, GLenum usage)
{
    assert(count >= 0 && count <= std::numeric_limits<std::int32_t>::max() && "float count out of range");
    length = static_cast<std::int32_t>(count);
    Bind();
    glBufferData(target, static_cast<GLsizeiptr>(count) * 4, data, usage);
}

void vroGLBuffer::SetStride(unsigned floatsPerVertex)
{
    assert(floatsPerVertex >= 1 && floatsPerVertex <= 4 && "a vertex attribute has one to four components");
    stride = floatsPerVertex;
}
