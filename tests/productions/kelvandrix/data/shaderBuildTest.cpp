// Every shader file compiles and links on the real context, and uses only
// what the engine provides: the per-frame uniform set and attribute 0.
#include <map>
#include <string>

#include "glTest.h"
#include "shaderFiles.h"
#include "shaderPass.h"

namespace {

class ShaderBuild : public testing_support::GLTest {};

const std::map<std::string, GLenum>& engineUniforms()
{
    static const std::map<std::string, GLenum> uniforms = {
        {"uResolution", GL_FLOAT_VEC2},    {"uTime", GL_FLOAT},         {"uChannelA", GL_SAMPLER_2D},
        {"uChannelB", GL_SAMPLER_2D},      {"uChannelC", GL_SAMPLER_2D}, {"uChannelD", GL_SAMPLER_2D},
        {"uChannelText", GL_SAMPLER_2D},   {"uChannelTextDebug", GL_SAMPLER_2D},
        {"uSyncA", GL_FLOAT},              {"uSyncB", GL_FLOAT},          {"uSyncC", GL_FLOAT},
        {"uSyncD", GL_FLOAT}};
    return uniforms;
}

} // namespace

// In the browser's dialect too: this driver compiles GLSL ES 3.00 as well.
TEST_F(ShaderBuild, EveryFragmentShaderLinksCleanlyWithItsVertexShaders)
{
    using Dialect = vroShaderPrelude::Dialect;
    for (const Dialect dialect : {Dialect::desktop, Dialect::es})
        for (const ShaderPair& pair : everyShaderPair()) {
            SCOPED_TRACE(pair.vertexFile + " + " + pair.fragmentFile + (dialect == Dialect::es ? " (ES)" : ""));
            const ShaderPass pass(shaderFile(pair.vertexFile), shaderFile(pair.fragmentFile), dialect);
            EXPECT_TRUE(pass.isLinked()) << pass.log();
            // Warnings count too: they are how the driver points at mistakes.
            EXPECT_EQ(pass.log(), "");
        }
}

TEST_F(ShaderBuild, ProgramsUseOnlyTheEnginesUniformsWithTheirTypes)
{
    for (const ShaderPair& pair : everyShaderPair()) {
        SCOPED_TRACE(pair.vertexFile + " + " + pair.fragmentFile);
        const ShaderPass pass(shaderFile(pair.vertexFile), shaderFile(pair.fragmentFile));
        ASSERT_TRUE(pass.isLinked()) << pass.log();
        GLint count = 0;
        glGetProgramiv(pass.id(), GL_ACTIVE_UNIFORMS, &count);
        for (GLint index = 0; index < count; ++index) {
            char name[64] = {};
            GLint size = 0;
            GLenum type = 0;
            glGetActiveUniform(pass.id(), static_cast<GLuint>(index), sizeof(name), nullptr, &size, &type, name);
            const auto known = engineUniforms().find(name);
            ASSERT_NE(known, engineUniforms().end()) << "\"" << name << "\" is never set by the engine";
            EXPECT_EQ(type, known->second) << "\"" << name << "\" has the wrong type";
        }
    }
}

TEST_F(ShaderBuild, VertexShadersReadOnlyThePositionAtAttributeZero)
{
    for (const std::string& vertexFile : vertexShaderFiles()) {
        SCOPED_TRACE(vertexFile);
        const ShaderPass pass(shaderFile(vertexFile), shaderFile("textured.fs"));
        ASSERT_TRUE(pass.isLinked()) << pass.log();
        GLint count = 0;
        glGetProgramiv(pass.id(), GL_ACTIVE_ATTRIBUTES, &count);
        ASSERT_EQ(count, 1);
        char name[64] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(pass.id(), 0, sizeof(name), nullptr, &size, &type, name);
        EXPECT_EQ(glGetAttribLocation(pass.id(), name), 0);
        EXPECT_EQ(type, static_cast<GLenum>(GL_FLOAT_VEC3));
    }
}

TEST_F(ShaderBuild, AMissingFileIsReportedAndDoesNotLink)
{
    const ShaderPass pass(shaderFile("noTransform.vs"), shaderFile("no-such-shader.fs"));
    EXPECT_FALSE(pass.isLinked());
    EXPECT_NE(pass.log().find("no-such-shader.fs"), std::string::npos) << pass.log();
}
