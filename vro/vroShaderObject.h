#pragma once

#include <string>

#include "vroGL.h"

// One shader stage.
class vroShaderObject {
public:
    explicit vroShaderObject(GLenum type);
    ~vroShaderObject();

    vroShaderObject(const vroShaderObject&) = delete;
    vroShaderObject& operator=(const vroShaderObject&) = delete;

    // Sets the source behind the platform's prelude (vroShaderPrelude) and
    // compiles; returns the info log when compiling fails, and an empty text
    // when it succeeds.
    std::string Compile(std::string source);
    GLuint GetID() const { return id; }

private:
    GLuint id;
};
