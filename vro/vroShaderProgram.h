#pragma once

#include "vroChannel.h"
#include "vroShaderObject.h"

#include <memory>
#include <string>

class vroEngine;

// Where a program's sources came from, for the messages about them.
struct vroShaderLabel {
    std::string name;
    std::string vertexFile;
    std::string fragmentFile;
};

// A linked program of a vertex and a fragment stage. Construction never
// fails: a stage that does not compile or a program that does not link is
// reported on standard error and still gives a complete program object.
class vroShaderProgram {
public:
    vroShaderProgram(std::string vertexSource, std::string fragmentSource, vroShaderLabel label = {});
    ~vroShaderProgram();

    vroShaderProgram(const vroShaderProgram&) = delete;
    vroShaderProgram& operator=(const vroShaderProgram&) = delete;

    // Returns the link log when linking fails, an empty text otherwise.
    std::string Link();
    // Makes the program current and sets the per-frame uniforms: resolution,
    // time, the six channel samplers and the four sync values.
    void Use(vroEngine* engine);

    const GLuint id;

private:
    std::unique_ptr<vroShaderObject> vertexShader;
    std::unique_ptr<vroShaderObject> fragmentShader;
};
