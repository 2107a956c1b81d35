#pragma once

#include "vroAbstractBaseRenderable.h"
#include "vroGLBuffer.h"

// One buffer of positions on attribute 0, drawn with glDrawArrays.
class vroPlainBufferRenderable : public vroAbstractBaseRenderable {
public:
    explicit vroPlainBufferRenderable(GLenum mode);

    void Render() override;
    // Callers upload their vertex data through this buffer.
    vroGLBuffer* getVertexBufferPtr() { return &vertexBuffer; }

protected:
    vroGLBuffer vertexBuffer;
    GLenum mode;
};
