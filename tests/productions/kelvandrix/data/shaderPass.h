#pragma once

#include <filesystem>
#include <string>

#include <epoxy/gl.h>

#include "vroShaderPrelude.h"

// Values of the engine's per-frame uniform set for one draw.
struct PassUniforms {
    float width = 64.0f;
    float height = 36.0f;
    float time = 0.0f;
    float syncA = 0.0f;
    float syncB = 0.0f;
    float syncC = 0.0f;
    float syncD = 0.0f;
};

// One full-screen pass made from two shader files with plain GL calls, the way
// the engine pairs them (behind the engine's shader prelude), over a quad of its own (the engine's two triangles).
class ShaderPass {
public:
    ShaderPass(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile,
               vroShaderPrelude::Dialect dialect = vroShaderPrelude::platform());
    ~ShaderPass();
    ShaderPass(const ShaderPass&) = delete;
    ShaderPass& operator=(const ShaderPass&) = delete;

    bool isLinked() const { return linked; }
    // Every compile and link message, each headed by the file it is about.
    const std::string& log() const { return messages; }
    GLuint id() const { return program; }

    // Uses the program, sets the uniform set as the engine does (samplers on
    // units 1 to 6) and draws the quad into whatever is bound.
    void draw(const PassUniforms& values) const;

private:
    GLuint compile(GLenum type, const std::filesystem::path& file, vroShaderPrelude::Dialect dialect);
    void link(GLuint vertexShader, GLuint fragmentShader);
    void setUniforms(const PassUniforms& values) const;

    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    bool linked = false;
    std::string messages;
};
