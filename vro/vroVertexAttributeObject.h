#pragma once

#include "vroGL.h"

class vroGLBuffer;

// One vertex array object, linking buffers to attribute indices.
class vroVertexAttributeObject {
public:
    vroVertexAttributeObject();
    ~vroVertexAttributeObject();

    vroVertexAttributeObject(const vroVertexAttributeObject&) = delete;
    vroVertexAttributeObject& operator=(const vroVertexAttributeObject&) = delete;

    void Bind();
    // Leaves this vertex array and the buffer bound.
    void LinkBufferToAttributeIndex(vroGLBuffer* buffer, unsigned index);
    GLuint getID() const { return id; }

private:
    GLuint id = 0;
};
