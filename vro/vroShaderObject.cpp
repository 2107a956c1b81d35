#include "vroShaderObject.h"

#include "vroShaderPrelude.h"

#include <vector>

vroShaderObject::vroShaderObject(GLenum type) : id(glCreateShader(type))
{
}

vroShaderObject::~vroShaderObject()
{
    glDeleteShader(id);
}

std::string vroShaderObject::Compile(std::string source)
{
    source = vroShaderPrelude::Apply(source);
    const char* text = source.c_str();
    glShaderSource(id, 1, &text, nullptr);
    glCompileShader(id);
    GLint status = GL_FALSE;
    glGetShaderiv(id, GL_COMPILE_STATUS, &status);
    if (status != GL_FALSE)
        return {};
    GLint length = 0;
    glGetShaderiv(id, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    glGetShaderInfoLog(id, length, nullptr, log.data());
    return log.data()[0] ? std::string(log.data()) : std::string("compiling failed without a log");
}
