#include "vroYuvConverter.h"

#include <cassert>

namespace {

const char* const kVertexSource =
    "#version 410 core\n"
    "layout (location = 0) in vec3 vertexPosition;\n"
    "void main() { gl_Position = vec4(vertexPosition, 1.0); }\n";

// Each fragment of the planes' target is one byte of the yuv420p frame: its
// place counted from the top left, row by row, says which plane and which
// sample it is. The target is read back bottom row first and turned over
// like any frame, so its top row holds the first bytes. Planes end within a
// row when height / 2 is odd; counting bytes needs no rows to line up.
const char* const kFragmentSource =
    "#version 410 core\n"
    "uniform sampler2D uPicture;\n"
    "uniform ivec2 uSize;\n"
    "out vec4 color;\n"
    "const vec3 kLuma = vec3(0.2126, 0.7152, 0.0722);\n"
    "vec3 pixel(int x, int y) { return texelFetch(uPicture, ivec2(x, uSize.y - 1 - y), 0).rgb; }\n"
    "vec4 code(float value) { return vec4(floor(value + 0.5) / 255.0); }\n"
    "void main() {\n"
    "    int rows = uSize.y + uSize.y / 2;\n"
    "    int byte = (rows - 1 - int(gl_FragCoord.y)) * uSize.x + int(gl_FragCoord.x);\n"
    "    int lumaBytes = uSize.x * uSize.y;\n"
    "    if (byte < lumaBytes) {\n"
    "        color = code(16.0 + 219.0 * dot(kLuma, pixel(byte % uSize.x, byte / uSize.x)));\n"
    "        return;\n"
    "    }\n"
    "    int chromaWidth = uSize.x / 2;\n"
    "    int chromaBytes = lumaBytes / 4;\n"
    "    int chroma = byte - lumaBytes;\n"
    "    bool red = chroma >= chromaBytes;\n"
    "    chroma -= red ? chromaBytes : 0;\n"
    "    int x = 2 * (chroma % chromaWidth), y = 2 * (chroma / chromaWidth);\n"
    "    vec3 rgb = 0.25 * (pixel(x, y) + pixel(x + 1, y) + pixel(x, y + 1) + pixel(x + 1, y + 1));\n"
    "    float luma = dot(kLuma, rgb);\n"
    "    color = code(128.0 + 224.0 * (red ? (rgb.r - luma) / 1.5748 : (rgb.b - luma) / 1.8556));\n"
    "}\n";

} // namespace

vroYuvConverter::vroYuvConverter(int width, int height, int slots)
    : width(width),
      height(height),
      program(kVertexSource, kFragmentSource,
              vroShaderLabel{"yuv conversion", "built-in vertex stage", "built-in fragment stage"}),
      reader(width, height * 3 / 2, slots, GL_RED)
{
    assert(width > 0 && height > 0 && width % 2 == 0 && height % 2 == 0 && "4:2:0 needs even sizes");
    glGenTextures(1, &picture);
    glBindTexture(GL_TEXTURE_2D, picture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);

    glGenRenderbuffers(1, &planes);
    glBindRenderbuffer(GL_RENDERBUFFER, planes);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_R8, width, height * 3 / 2);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, planes);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previous));

    glUseProgram(program.id);
    glUniform1i(glGetUniformLocation(program.id, "uPicture"), 0);
    glUniform2i(glGetUniformLocation(program.id, "uSize"), width, height);
    glUseProgram(0);
}

vroYuvConverter::~vroYuvConverter()
{
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &planes);
    glDeleteTextures(1, &picture);
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
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, picture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height * 3 / 2);
    glUseProgram(program.id);
    quad.Render();
    glBindTexture(GL_TEXTURE_2D, 0);
}
