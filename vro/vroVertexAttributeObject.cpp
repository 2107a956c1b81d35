#include "vroVertexAttributeObject.h"

#include "vroGLBuffer.h"

vroVertexAttributeObject::vroVertexAttributeObject()
{
    glGenVertexArrays(1, &id);
}

vroVertexAttributeObject::~vroVertexAttributeObject()
{
    glDeleteVertexArrays(1, &id);
}

void vroVertexAttributeObject::Bind()
{
    glBindVertexArray(id);
}

void vroVertexAttributeObject::LinkBufferToAttributeIndex(vroGLBuffer* buffer, unsigned index)
{
    Bind();
    glEnableVertexAttribArray(index);
    buffer->Bind();
    glVertexAttribPointer(index, static_cast<GLint>(buffer->GetStride()), GL_FLOAT, GL_FALSE, 0, nullptr);
}
