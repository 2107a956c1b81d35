#include "vroFSQuad.h"

namespace {
// The first triangle runs counter-clockwise, the second clockwise; culling is
// never enabled, so both are drawn.
constexpr float kCorners[18] = {
    -1.0f, 1.0f,  0.0f, //
    -1.0f, -1.0f, 0.0f, //
    1.0f,  -1.0f, 0.0f, //
    1.0f,  -1.0f, 0.0f, //
    -1.0f, 1.0f,  0.0f, //
    1.0f,  1.0f,  0.0f, //
};
} // namespace

vroFSQuad::vroFSQuad() : vroPlainBufferRenderable(GL_TRIANGLES)
{
    vertexBuffer.Bind();
    vertexBuffer.UploadData(18, kCorners, GL_STATIC_DRAW);
}
