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
// reported (on standard error, unless told to keep quiet) and still gives a
// complete program object.
class vroShaderProgram {
public:
    enum class Report { toStandardError, quietly };

    vroShaderProgram(std::string vertexSource, std::string fragmentSource, vroShaderLabel label = {},
                     Report report = Report::toStandardError);
    ~vroShaderProgram();

    vroShaderProgram(const vroShaderProgram&) = delete;
    vroShaderProgram& operator=(const vroShaderProgram&) = delete;

    // Returns the link log when linking fails, an empty text otherwise.
    std::string Link();
    // Makes the program current and sets the per-frame uniforms: resolution,
    // time, the six channel samplers and the four sync values. False, with
    // nothing changed, for a program that did not build: GL would keep the
    // program before it current, and a draw would run that one instead.
    bool Use(vroEngine* engine);
    // Whether both stages compiled and the program linked.
    bool isBuilt() const { return problems.empty(); }
    // What went wrong, one line each, as "file:line: message" where the
    // compiler named a line ("file: message" otherwise); empty when built.
    const std::string& getProblems() const { return problems; }

    const GLuint id;

private:
    std::unique_ptr<vroShaderObject> vertexShader;
    std::unique_ptr<vroShaderObject> fragmentShader;
    std::string problems;
};
