#include "vroBufferlessRenderable.h"

vroBufferlessRenderable::vroBufferlessRenderable(GLenum primitiveMode, glm::ivec2 gridSize)
    : mode(primitiveMode),
      vertexCount(static_cast<std::int64_t>(gridSize.x) * gridSize.y),
      dimensions(gridSize)
{
}

void vroBufferlessRenderable::Render()
{
    vao.Bind();
    glDrawArraysInstanced(mode, 0, 1024, static_cast<GLsizei>(static_cast<std::uint64_t>(vertexCount) >> 10));
}

void vroBufferlessRenderable::RenderAsLines()
{
    if (dimensions.y <= 0)
        return;
    vao.Bind();
    glDrawArraysInstanced(mode, 0, static_cast<GLsizei>(vertexCount / dimensions.y), dimensions.y);
}
