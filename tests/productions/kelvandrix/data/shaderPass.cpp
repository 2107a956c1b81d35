#include "shaderPass.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string readText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string shaderLog(GLuint shader)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    glGetShaderInfoLog(shader, length, nullptr, text.data());
    return text.data();
}

std::string programLog(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    glGetProgramInfoLog(program, length, nullptr, text.data());
    return text.data();
}

const float kQuad[18] = {-1, 1, 0, -1, -1, 0, 1, -1, 0, 1, -1, 0, -1, 1, 0, 1, 1, 0};

} // namespace

ShaderPass::ShaderPass(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile,
                       vroShaderPrelude::Dialect dialect)
{
    program = glCreateProgram();
    const GLuint vertexShader = compile(GL_VERTEX_SHADER, vertexFile, dialect);
    const GLuint fragmentShader = compile(GL_FRAGMENT_SHADER, fragmentFile, dialect);
    link(vertexShader, fragmentShader);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);

    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &vertexBuffer);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(kQuad), kQuad, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

ShaderPass::~ShaderPass()
{
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteProgram(program);
}

GLuint ShaderPass::compile(GLenum type, const std::filesystem::path& file, vroShaderPrelude::Dialect dialect)
{
    const GLuint shader = glCreateShader(type);
    const std::string source = readText(file);
    // Behind the prelude the engine puts in front, as the engine compiles it.
    const std::string prepared = vroShaderPrelude::Apply(source, dialect);
    const char* text = prepared.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    const std::string log = shaderLog(shader);
    if (status != GL_TRUE || !log.empty())
        messages += file.filename().string() + (status == GL_TRUE ? " (compiled):\n" : " (failed):\n") + log + "\n";
    if (source.empty())
        messages += file.filename().string() + ": empty or missing\n";
    return shader;
}

void ShaderPass::link(GLuint vertexShader, GLuint fragmentShader)
{
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    glDetachShader(program, vertexShader);
    glDetachShader(program, fragmentShader);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    linked = status == GL_TRUE;
    const std::string log = programLog(program);
    if (!linked || !log.empty())
        messages += std::string(linked ? "link:\n" : "link failed:\n") + log + "\n";
}

void ShaderPass::setUniforms(const PassUniforms& values) const
{
    glUniform2f(glGetUniformLocation(program, "uResolution"), values.width, values.height);
    glUniform1f(glGetUniformLocation(program, "uTime"), values.time);
    const char* samplers[] = {"uChannelA", "uChannelB", "uChannelC", "uChannelD", "uChannelText", "uChannelTextDebug"};
    for (int unit = 1; unit <= 6; ++unit)
        glUniform1i(glGetUniformLocation(program, samplers[unit - 1]), unit);
    glUniform1f(glGetUniformLocation(program, "uSyncA"), values.syncA);
    glUniform1f(glGetUniformLocation(program, "uSyncB"), values.syncB);
    glUniform1f(glGetUniformLocation(program, "uSyncC"), values.syncC);
    glUniform1f(glGetUniformLocation(program, "uSyncD"), values.syncD);
}

void ShaderPass::draw(const PassUniforms& values) const
{
    glUseProgram(program);
    setUniforms(values);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
    glUseProgram(0);
}
