#pragma once

#include "vroAbstractBaseRenderable.h"
#include "vroGLBuffer.h"

#include <cstdint>

#include <glm/vec2.hpp>

// A grid of width x height vertices with no vertex data: a vertex shader
// derives each position from gl_VertexID and gl_InstanceID.
class vroBufferlessRenderable : public vroAbstractBaseRenderable {
public:
    vroBufferlessRenderable(GLenum mode, glm::ivec2 dimensions);

    // Batches of 1024 vertices, one instance each; a remainder below a
    // whole batch is not drawn.
    void Render() override;
    // One instance per grid row of width vertices.
    void RenderAsLines();

private:
    vroGLBuffer vertexBuffer;
    GLenum mode;
    std::int64_t vertexCount;
    glm::ivec2 dimensions;
};
