// Buffers, vertex arrays and renderables on a real context.
#include "vroBufferlessRenderable.h"
#include "vroFSQuad.h"
#include "vroGLBuffer.h"
#include "vroPlainBufferRenderable.h"
#include "vroShaderProgram.h"
#include "vroVertexAttributeObject.h"
#include "vroWindow.h"

#include "glTest.h"

#include <type_traits>
#include <vector>

using namespace testing_support;

namespace {

static_assert(!std::is_copy_constructible_v<vroGLBuffer>);
static_assert(!std::is_copy_constructible_v<vroVertexAttributeObject>);
static_assert(!std::is_copy_constructible_v<vroFSQuad>);
static_assert(!std::is_copy_constructible_v<vroBufferlessRenderable>);
static_assert(std::has_virtual_destructor_v<vroAbstractBaseRenderable>);

const char* const kPassThroughVertex = R"(#version 410 core
layout (location = 0) in vec3 vertexPosition;
void main() { gl_Position = vec4(vertexPosition, 1.0); })";

const char* const kGridVertex = R"(#version 410 core
void main() { gl_Position = vec4(float(gl_VertexID % 7) * 0.1, float(gl_InstanceID) * 0.1, 0.0, 1.0); })";

const char* const kQuarterFragment = R"(#version 410 core
out vec4 colour;
void main() { colour = vec4(0.25, 0.25, 0.25, 1.0); })";

class DrawingTest : public GLTest {
protected:
    // Primitives the vertex stage emits while `draw` runs.
    template <typename Draw>
    GLuint countPrimitives(Draw draw)
    {
        GLuint query = 0;
        glGenQueries(1, &query);
        glEnable(GL_RASTERIZER_DISCARD);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        draw();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        glDisable(GL_RASTERIZER_DISCARD);
        GLuint count = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
        glDeleteQueries(1, &query);
        return count;
    }
};

TEST_F(DrawingTest, UploadSizesAndVertexCounts)
{
    vroGLBuffer buffer;
    EXPECT_EQ(buffer.GetStride(), 3u);
    EXPECT_EQ(buffer.getLength(), 0);
    std::vector<float> data(20, 0.5f);
    buffer.UploadData(18, data.data(), GL_STATIC_DRAW);
    EXPECT_EQ(getInteger(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(buffer.getID()));
    GLint bytes = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 72);
    EXPECT_EQ(buffer.getLength() / buffer.GetStride(), 6u);
    buffer.UploadData(20, data.data(), GL_DYNAMIC_DRAW);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 80);
    EXPECT_EQ(buffer.getLength() / buffer.GetStride(), 6u);
}

TEST_F(DrawingTest, ElementBufferBindsToItsOwnTarget)
{
    vroVertexAttributeObject vao;
    vao.Bind();
    vroGLBuffer elements(GL_ELEMENT_ARRAY_BUFFER);
    EXPECT_EQ(elements.GetStride(), 3u);
    const unsigned indices[3] = {0, 1, 2};
    elements.UploadData(3, indices, GL_STATIC_DRAW);
    EXPECT_EQ(getInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING), static_cast<GLint>(elements.getID()));
    glBindVertexArray(0);
}

TEST_F(DrawingTest, LinkReadsStrideFloatsFromOffsetZeroAndLeavesBindings)
{
    vroGLBuffer buffer;
    vroVertexAttributeObject vao;
    vao.LinkBufferToAttributeIndex(&buffer, 0);
    EXPECT_EQ(getInteger(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(vao.getID()));
    EXPECT_EQ(getInteger(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(buffer.getID()));
    GLint value = 0;
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &value);
    EXPECT_EQ(value, GL_TRUE);
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_SIZE, &value);
    EXPECT_EQ(value, 3);
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &value);
    EXPECT_EQ(value, 0);
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &value);
    EXPECT_EQ(value, static_cast<GLint>(buffer.getID()));
    void* offset = &value;
    glGetVertexAttribPointerv(0, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
    EXPECT_EQ(offset, nullptr);

    // The component count is taken at link time.
    buffer.SetStride(2);
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_SIZE, &value);
    EXPECT_EQ(value, 3);
    glBindVertexArray(0);
}

TEST_F(DrawingTest, QuadCoversEveryPixelExactlyOnce)
{
    vroShaderProgram program(kPassThroughVertex, kQuarterFragment);
    vroFSQuad quad;
    EXPECT_EQ(quad.node, nullptr);
    EXPECT_EQ(quad.getVertexBufferPtr()->getLength(), 18);
    window().clear(0.0f, 0.0f, 0.0f, 0.0f);
    glUseProgram(program.id);
    // Additive blending shows overlap as a doubled value.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    quad.Render();
    glDisable(GL_BLEND);
    const auto pixels = readPixels(kTestWidth, kTestHeight);
    for (size_t i = 0; i < pixels.size(); i += 4)
        ASSERT_EQ(pixels[i], 64) << "pixel " << i / 4;
    EXPECT_EQ(countPrimitives([&] { quad.Render(); }), 2u);
}

TEST_F(DrawingTest, PlainBufferDrawsStoredVerticesOnly)
{
    vroShaderProgram program(kPassThroughVertex, kQuarterFragment);
    glUseProgram(program.id);
    vroPlainBufferRenderable points(GL_POINTS);
    EXPECT_EQ(countPrimitives([&] { points.Render(); }), 0u);
    std::vector<float> data(30, 0.0f);
    points.getVertexBufferPtr()->UploadData(30, data.data(), GL_STATIC_DRAW);
    EXPECT_EQ(countPrimitives([&] { points.Render(); }), 10u);
}

TEST_F(DrawingTest, BufferlessDrawsWholeBatchesOfVertices)
{
    vroShaderProgram program(kGridVertex, kQuarterFragment);
    glUseProgram(program.id);
    vroBufferlessRenderable grid(GL_POINTS, {256, 256});
    EXPECT_EQ(countPrimitives([&] { grid.Render(); }), 65536u);
    vroBufferlessRenderable small(GL_POINTS, {100, 10});
    EXPECT_EQ(countPrimitives([&] { small.Render(); }), 0u);
}

TEST_F(DrawingTest, BufferlessRowsDrawOneInstancePerRow)
{
    vroShaderProgram program(kGridVertex, kQuarterFragment);
    glUseProgram(program.id);
    vroBufferlessRenderable grid(GL_LINE_STRIP, {256, 4});
    EXPECT_EQ(countPrimitives([&] { grid.RenderAsLines(); }), 4u * 255u);
    vroBufferlessRenderable points(GL_POINTS, {256, 4});
    EXPECT_EQ(countPrimitives([&] { points.RenderAsLines(); }), 1024u);
    vroBufferlessRenderable flat(GL_POINTS, {256, 0});
    EXPECT_EQ(countPrimitives([&] { flat.RenderAsLines(); }), 0u);
}

} // namespace
