#include "vroPlainBufferRenderable.h"

vroPlainBufferRenderable::vroPlainBufferRenderable(GLenum primitiveMode) : mode(primitiveMode)
{
    // Linked before any data exist: later uploads go through the same link.
    vao.LinkBufferToAttributeIndex(&vertexBuffer, 0);
}

void vroPlainBufferRenderable::Render()
{
    vao.Bind();
    glDrawArrays(mode, 0, static_cast<GLsizei>(static_cast<unsigned>(vertexBuffer.getLength()) / vertexBuffer.GetStride()));
}
