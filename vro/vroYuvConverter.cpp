#include "vroYuvConverter.h"

#include <cassert>
#include <string>

namespace {

// Versionless, as every source of the engine: the platform's prelude goes
// in front.
const char* const kVertexSource =
    "layout (location = 0) in vec3 vertexPosition;\n"
    "void main() { gl_Position = vec4(vertexPosition, 1.0); }\n";

// Each fragment of the planes' target is kBytes bytes of the yuv420p frame.
// The target is read back bottom row first and turned over like any frame,
// so its top `height` rows must hold the Y' plane and the rows below the
// chroma planes, Cb's rows and then Cr's, two to a row. One program for each
// part: software GL runs both sides of a branch that splits its batch of
// fragments, and it cannot divide in parallel, so nothing here divides.
const char* const kCommonSource =
    "uniform sampler2D uPicture;\n"
    "uniform ivec2 uSize;\n"
    "out vec4 color;\n"
    "const vec3 kLuma = vec3(0.2126, 0.7152, 0.0722);\n"
    "vec3 pixel(int x, int y) { return texelFetch(uPicture, ivec2(x, uSize.y - 1 - y), 0).rgb; }\n"
    "vec4 code(vec4 value) { return floor(value + 0.5) / 255.0; }\n";

// Drawn to the target's rows from height / 2 up.
const char* const kLumaSource =
    "void main() {\n"
    "    int row = uSize.y + (uSize.y >> 1) - 1 - int(gl_FragCoord.y);\n"
    "    vec4 value = vec4(0.0);\n"
    "    for (int i = 0; i < kBytes; ++i)\n"
    "        value[i] = dot(kLuma, pixel(kBytes * int(gl_FragCoord.x) + i, row));\n"
    "    color = code(16.0 + 219.0 * value);\n"
    "}\n";

// Drawn to the target's bottom height / 2 rows; each chroma sample from the
// mean of its 2x2 block.
const char* const kChromaSource =
    "void main() {\n"
    "    int halfWidth = uSize.x >> 1, halfHeight = uSize.y >> 1;\n"
    "    vec4 value = vec4(0.0);\n"
    "    for (int i = 0; i < kBytes; ++i) {\n"
    "        int column = kBytes * int(gl_FragCoord.x) + i;\n"
    "        bool second = column >= halfWidth;\n"
    "        int y = 2 * (halfHeight - 1 - int(gl_FragCoord.y)) + int(second);\n"
    "        bool red = y >= halfHeight;\n"
    "        y = 2 * (y - (red ? halfHeight : 0));\n"
    "        int x = 2 * (column - (second ? halfWidth : 0));\n"
    "        vec3 rgb = 0.25 * (pixel(x, y) + pixel(x + 1, y) + pixel(x, y + 1) + pixel(x + 1, y + 1));\n"
    "        float luma = dot(kLuma, rgb);\n"
    "        value[i] = red ? (rgb.r - luma) / 1.5748 : (rgb.b - luma) / 1.8556;\n"
    "    }\n"
    "    color = code(128.0 + 224.0 * value);\n"
    "}\n";

// Four bytes a texel when a row of the frame is whole texels: software GL
// spends about a third less time on a quarter of the fragments.
int bytesPerTexel(int width)
{
    return width % 4 == 0 ? 4 : 1;
}

std::string fragmentSource(int width, const char* main)
{
    return "const int kBytes = " + std::to_string(bytesPerTexel(width)) + ";\n" + kCommonSource
        + main;
}

} // namespace

vroYuvConverter::vroYuvConverter(int width, int height, int slots)
    : width(width),
      height(height),
      texels(width / bytesPerTexel(width)),
      picture(glm::ivec2(width, height), GL_UNSIGNED_BYTE),
      luma(kVertexSource, fragmentSource(width, kLumaSource),
           vroShaderLabel{"luma conversion", "built-in vertex stage", "built-in fragment stage"}),
      chroma(kVertexSource, fragmentSource(width, kChromaSource),
             vroShaderLabel{"chroma conversion", "built-in vertex stage", "built-in fragment stage"}),
      reader(texels, height * 3 / 2, slots, bytesPerTexel(width) == 4 ? GL_RGBA : GL_RED)
{
    assert(width > 0 && height > 0 && width % 2 == 0 && height % 2 == 0 && "4:2:0 needs even sizes");
    picture.Load();
    glGenRenderbuffers(1, &planes);
    glBindRenderbuffer(GL_RENDERBUFFER, planes);
    glRenderbufferStorage(GL_RENDERBUFFER, bytesPerTexel(width) == 4 ? GL_RGBA8 : GL_R8, texels, height * 3 / 2);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, planes);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previous));

    for (const vroShaderProgram* program : {&luma, &chroma}) {
        glUseProgram(program->id);
        glUniform1i(glGetUniformLocation(program->id, "uPicture"), 0);
        glUniform2i(glGetUniformLocation(program->id, "uSize"), width, height);
    }
    glUseProgram(0);
}

vroYuvConverter::~vroYuvConverter()
{
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &planes);
}

void vroYuvConverter::Queue()
{
    GLint drawn = 0, read = 0, used = 0, viewport[4];
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGetIntegerv(GL_CURRENT_PROGRAM, &used);
    glGetIntegerv(GL_VIEWPORT, viewport);

    convert();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    reader.Queue();

    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawn));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
    glUseProgram(static_cast<GLuint>(used));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

// Unit 0 belongs to no channel; it is left with no texture bound, as a load leaves it.
void vroYuvConverter::convert()
{
    picture.BindToUnit(0);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glViewport(0, height / 2, texels, height);
    glUseProgram(luma.id);
    quad.Render();
    glViewport(0, 0, texels, height / 2);
    glUseProgram(chroma.id);
    quad.Render();
    glBindTexture(GL_TEXTURE_2D, 0);
}
