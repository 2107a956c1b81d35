// Shader programs, their per-frame uniforms, text files and the shader manager.
#include "vroEngine.h"
#include "vroProgressBar.h"
#include "vroShaderManager.h"
#include "vroShaderProgram.h"
#include "vroShaderPrelude.h"
#include "vroTimer.h"
#include "vroUtils.h"
#include "vroWindow.h"

#include "glTest.h"
#include "testFiles.h"

#include <cstring>
#include <stdexcept>
#include <sys/stat.h>
#include <type_traits>
#include <vector>

#include <GLFW/glfw3.h>

using namespace testing_support;

namespace {

static_assert(!std::is_copy_constructible_v<vroShaderProgram>);
static_assert(!std::is_copy_constructible_v<vroShaderObject>);
static_assert(!std::is_copy_constructible_v<vroShaderManager>);

const char* const kVertex = R"(#version 410 core
layout (location = 0) in vec3 vertexPosition;
void main() { gl_Position = vec4(vertexPosition, 1.0); })";

const char* const kAllUniformsFragment = R"(#version 410 core
uniform vec2 uResolution;
uniform float uTime;
uniform sampler2D uChannelA, uChannelB, uChannelC, uChannelD, uChannelText, uChannelTextDebug;
uniform float uSyncA, uSyncB, uSyncC, uSyncD;
out vec4 colour;
void main() {
    vec4 s = texture(uChannelA, vec2(0.5)) + texture(uChannelB, vec2(0.5)) + texture(uChannelC, vec2(0.5))
           + texture(uChannelD, vec2(0.5)) + texture(uChannelText, vec2(0.5)) + texture(uChannelTextDebug, vec2(0.5));
    colour = vec4(uResolution.x + uTime + uSyncA + uSyncB + uSyncC + uSyncD) + s;
})";

const char* const kPlainFragment = R"(#version 410 core
out vec4 colour;
void main() { colour = vec4(0.0, 1.0, 0.0, 1.0); })";

class ShaderTest : public EngineTest {};

float uniformFloat(GLuint program, const char* name)
{
    float value = -1.0f;
    glGetUniformfv(program, glGetUniformLocation(program, name), &value);
    return value;
}

GLint uniformInt(GLuint program, const char* name)
{
    GLint value = -1;
    glGetUniformiv(program, glGetUniformLocation(program, name), &value);
    return value;
}

TEST_F(ShaderTest, UseSetsTheTwelveUniforms)
{
    vroShaderProgram program(kVertex, kAllUniformsFragment);
    glfwSetTime(7.25);
    program.Use(&engine());
    EXPECT_EQ(getInteger(GL_CURRENT_PROGRAM), static_cast<GLint>(program.id));
    float resolution[2] = {0, 0};
    glGetUniformfv(program.id, glGetUniformLocation(program.id, "uResolution"), resolution);
    EXPECT_EQ(resolution[0], static_cast<float>(kTestWidth));
    EXPECT_EQ(resolution[1], static_cast<float>(kTestHeight));
    EXPECT_NEAR(uniformFloat(program.id, "uTime"), 7.25f, 0.25f);
    const char* samplers[] = {"uChannelA", "uChannelB", "uChannelC", "uChannelD", "uChannelText", "uChannelTextDebug"};
    for (int unit = 1; unit <= 6; ++unit)
        EXPECT_EQ(uniformInt(program.id, samplers[unit - 1]), unit);
    for (const char* sync : {"uSyncA", "uSyncB", "uSyncC", "uSyncD"})
        EXPECT_EQ(uniformFloat(program.id, sync), 0.0f) << sync;
}

TEST_F(ShaderTest, ResolutionIsTheWindowsEvenWithAnotherTargetBound)
{
    vroShaderProgram program(kVertex, kAllUniformsFragment);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    program.Use(&engine());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    float resolution[2] = {0, 0};
    glGetUniformfv(program.id, glGetUniformLocation(program.id, "uResolution"), resolution);
    EXPECT_EQ(resolution[0], static_cast<float>(kTestWidth));
}

TEST_F(ShaderTest, ProgramWithoutTheSetStillDraws)
{
    vroShaderProgram program(kVertex, kPlainFragment);
    program.Use(&engine());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint linked = GL_FALSE;
    glGetProgramiv(program.id, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
}

TEST_F(ShaderTest, FailedCompileAndLinkStillGiveAProgramAndAMessage)
{
    ::testing::internal::CaptureStderr();
    vroShaderProgram broken(kVertex, "#version 410 core\nvoid main() { this is not glsl }",
                            vroShaderLabel{"broken", "noTransform.vs", "broken.fs"});
    const std::string messages = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(glIsProgram(broken.id));
    EXPECT_NE(messages.find("shader: \"broken\" \"broken.fs\": "), std::string::npos) << messages;
    EXPECT_NE(messages.find("shader: \"broken\" link: "), std::string::npos) << messages;
    EXPECT_EQ(messages.find("noTransform.vs"), std::string::npos) << messages;
    broken.Use(&engine());

    ::testing::internal::CaptureStderr();
    vroShaderProgram empty("", "");
    EXPECT_TRUE(glIsProgram(empty.id));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("shader: \"unnamed\" vertex stage: "), std::string::npos);
}

// The driver's messages name the lines of the file as its author sees them,
// whatever the prelude put in front; a source with a version of its own is
// compiled as it stands.
TEST_F(ShaderTest, MessagesNameTheFilesLinesInEitherDialect)
{
    using Dialect = vroShaderPrelude::Dialect;
    const std::string vertex = "layout (location = 0) in vec3 vertexPosition;\nvoid main() { gl_Position = vec4(vertexPosition, 1.0); }";
    const std::string broken = "out vec4 colour;\nvoid main() {\n    colour = ;\n}\n";
    const struct {
        const char* name;
        std::string vertex;
        std::string fragment;
        std::string line;
    } cases[] = {
        {"the platform's prelude", vertex, broken, "broken.fs:3: error: "},
        {"the ES prelude", vroShaderPrelude::Apply(vertex, Dialect::es), vroShaderPrelude::Apply(broken, Dialect::es),
         "broken.fs:3: error: "},
        {"a version of its own", vertex, "// kept as it is\n#version 410 core\n" + broken, "broken.fs:5: error: "},
    };
    for (const auto& c : cases) {
        vroShaderProgram program(c.vertex, c.fragment, vroShaderLabel{"broken", "plain.vs", "broken.fs"},
                                 vroShaderProgram::Report::quietly);
        EXPECT_EQ(program.getProblems().rfind(c.line, 0), 0u) << c.name << ": " << program.getProblems();
    }
    vroShaderProgram es(vroShaderPrelude::Apply(vertex, Dialect::es),
                        vroShaderPrelude::Apply("out vec4 colour;\nvoid main() { colour = vec4(1.0); }", Dialect::es));
    EXPECT_TRUE(es.isBuilt()) << "the ES prelude gives the fragment stage its precision: " << es.getProblems();
}

// Word for word: without "precision highp int" the 32-bit integer hashes
// overflow on phones and tablets whose GPUs have real 16-bit integers, in the
// browser only, and no desktop driver would tell.
TEST(ShaderPrelude, GivesEachDialectItsVersionPrecisionsAndLineNumbering)
{
    using Dialect = vroShaderPrelude::Dialect;
    EXPECT_EQ(vroShaderPrelude::text(Dialect::desktop), "#version 410 core\n#line 1\n");
    EXPECT_EQ(vroShaderPrelude::text(Dialect::es),
              "#version 300 es\nprecision highp float;\nprecision highp int;\n#line 1\n");
}

TEST(ShaderPrelude, FindsAVersionOnlyBeforeAnythingButCommentsAndSpace)
{
    EXPECT_TRUE(vroShaderPrelude::hasOwnVersion("\r\n// a note\n/* a\nblock */  #  version 300 es\n"));
    EXPECT_FALSE(vroShaderPrelude::hasOwnVersion("out vec4 colour;\n#version 410 core\n"));
    EXPECT_FALSE(vroShaderPrelude::hasOwnVersion("// #version 410 core\nout vec4 colour;\n"));
    EXPECT_FALSE(vroShaderPrelude::hasOwnVersion("/* unfinished"));
    EXPECT_FALSE(vroShaderPrelude::hasOwnVersion("#define V\n#version 410 core\n"));
}

TEST_F(ShaderTest, DestroyingAProgramDeletesItAndItsStages)
{
    GLuint id = 0;
    std::vector<GLuint> stages;
    {
        vroShaderProgram program(kVertex, kPlainFragment);
        id = program.id;
        // Stages are detached after linking but live as long as the program;
        // this driver names them right after the program.
        GLsizei attached = 0;
        GLuint names[2];
        glGetAttachedShaders(id, 2, &attached, names);
        EXPECT_EQ(attached, 0);
        for (GLuint candidate : {id + 1, id + 2})
            if (glIsShader(candidate))
                stages.push_back(candidate);
        EXPECT_EQ(stages.size(), 2u);
    }
    EXPECT_FALSE(glIsProgram(id));
    for (GLuint stage : stages)
        EXPECT_FALSE(glIsShader(stage));
}

TEST(TextFile, ComesBackByteForByte)
{
    TempDir dir;
    const std::string bytes = std::string("line one\r\nnul\0byte\r\n\xc3\xa9\xff end", 26);
    dir.write("odd.txt", bytes);
    EXPECT_EQ(vroUtils::ReadTextFile(dir.file("odd.txt").string()), bytes);
    dir.write("empty.txt", "");
    EXPECT_EQ(vroUtils::ReadTextFile(dir.file("empty.txt").string()), "");
}

TEST(TextFile, MissingFileIsEmptyAndSilent)
{
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(vroUtils::ReadTextFile("/nonexistent/kelvandrix/none.fs"), "");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// GPUs' names may hold "LLVM" too (AMD's compiles its shaders with it).
TEST(Renderer, SoftwareIsToldFromGpusByName)
{
    const struct {
        const char* renderer;
        bool software;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"softpipe", true},
        {"Mesa X11 swrast", true},
        {"Software Rasterizer", true},
        {"Google SwiftShader", true},
        {"ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero) (0x0000C0DE)), SwiftShader driver)", true},
        {"zink (llvmpipe (LLVM 15.0.6, 256 bits))", true},
        {"D3D12 (Microsoft Basic Render Driver)", true},
        {"AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", false},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"NVIDIA GeForce RTX 3060/PCIe/SSE2", false},
        {"ANGLE (NVIDIA, NVIDIA GeForce GTX 1060 Direct3D11 vs_5_0 ps_5_0, D3D11)", false},
        {"Apple M1", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vroUtils::isSoftwareRenderer(c.renderer), c.software) << c.renderer;
}

TEST_F(ShaderTest, ClearTextureSlotLeavesTheUnitActiveAndEmpty)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, texture);
    glActiveTexture(GL_TEXTURE0);
    vroUtils::ClearTextureSlot(3);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), 0);
    glDeleteTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
}

class ShaderManagerTest : public EngineTest {
protected:
    TempDir dir;
    WorkingDir into{dir.path()};

    void SetUp() override
    {
        dir.write("plain.vs", kVertex);
        dir.write("green.fs", kPlainFragment);
        dir.write("all.fs", kAllUniformsFragment);
    }
};

TEST_F(ShaderManagerTest, NoRegistrationsLoadNothing)
{
    vroShaderManager manager(&engine());
    EXPECT_EQ(manager.HowManyItems(), 0);
    vroProgressBar bar(engine().window.get());
    bar.AddSteps(1);
    manager.Load(bar);
    EXPECT_EQ(bar.getDoneSteps(), 0);
    EXPECT_THROW(manager.getShader("anything"), std::out_of_range);
}

TEST_F(ShaderManagerTest, DuplicateNamesKeepTheFirstProgramAfterSixSteps)
{
    vroShaderManager manager(&engine());
    manager.addShader("twice", "plain.vs", "green.fs");
    manager.addShader("twice", "plain.vs", "all.fs");
    EXPECT_EQ(manager.HowManyItems(), 6);
    vroProgressBar bar(engine().window.get());
    bar.AddSteps(manager.HowManyItems());
    manager.Load(bar);
    EXPECT_EQ(bar.getDoneSteps(), 6);
    const GLuint id = manager.getShader("twice")->id;
    // The first registration's program does not know the uniform set.
    EXPECT_EQ(glGetUniformLocation(id, "uTime"), -1);
    EXPECT_THROW(manager.getShader("Twice"), std::out_of_range);
}

// One line each, even for a FIFO that would block a reader for ever, a file
// that cannot be read (a write-only kernel setting, where there is one: root
// cannot read it either) and one far larger than any shader.
TEST_F(ShaderManagerTest, MissingFileIsNamedAndStillCostsItsSteps)
{
    ASSERT_EQ(mkfifo(dir.file("pipe.fs").c_str(), 0644), 0);
    dir.write("huge.fs", "");
    std::filesystem::resize_file(dir.file("huge.fs"), 64 << 20); // sparse
    dir.write("nul.fs", std::string(kPlainFragment) + std::string("\0garbage", 8));
    vroShaderManager manager(&engine());
    // One file serving two programs leaves both without it: each is named.
    manager.addShader("lost", "gone.vs", "green.fs");
    manager.addShader("alsoLost", "gone.vs", "all.fs");
    manager.addShader("piped", "plain.vs", "pipe.fs");
    manager.addShader("huge", "plain.vs", "huge.fs");
    manager.addShader("nul", "plain.vs", "nul.fs");
    std::string named = "shader: \"lost\" \"gone.vs\": cannot be read\n"
                        "shader: \"alsoLost\" \"gone.vs\": cannot be read\n"
                        "shader: \"piped\" \"pipe.fs\": cannot be read\n"
                        "shader: \"huge\" \"huge.fs\": 67108864 bytes, more than the 1048576 a source may have\n"
                        "shader: \"nul\" \"nul.fs\": a NUL byte at offset "
                        + std::to_string(std::strlen(kPlainFragment)) + ": not a shader source\n";
    const std::filesystem::path writeOnly = "/proc/sys/vm/compact_memory";
    if (std::filesystem::exists(writeOnly)) {
        std::filesystem::create_symlink(writeOnly, dir.file("locked.fs"));
        manager.addShader("locked", "plain.vs", "locked.fs");
        named += "shader: \"locked\" \"locked.fs\": cannot be read\n";
    }
    vroProgressBar bar(engine().window.get());
    bar.AddSteps(manager.HowManyItems());
    ::testing::internal::CaptureStderr();
    manager.Load(bar);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), named);
    EXPECT_EQ(bar.getDoneSteps(), manager.HowManyItems());
    for (const char* name : {"lost", "alsoLost", "piped", "huge", "nul"})
        EXPECT_TRUE(glIsProgram(manager.getShader(name)->id)) << name;
}

// As some editors save UTF-8: the mark is not part of the source.
TEST_F(ShaderManagerTest, ByteOrderMarkIsNotPartOfTheSource)
{
    dir.write("marked.fs", "\xEF\xBB\xBF" + std::string(kAllUniformsFragment));
    vroShaderManager manager(&engine());
    manager.addShader("marked", "plain.vs", "marked.fs");
    vroProgressBar bar(engine().window.get());
    bar.AddSteps(manager.HowManyItems());
    ::testing::internal::CaptureStderr();
    manager.Load(bar);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(glGetUniformLocation(manager.getShader("marked")->id, "uTime"), -1);
}

TEST_F(ShaderManagerTest, ProductionRegistrationsGiveEighteenSteps)
{
    vroShaderManager manager(&engine());
    const char* names[] = {"FSQuad_flip", "text", "cubescape", "pyramid_rm", "post", "debugtext"};
    for (const char* name : names)
        manager.addShader(name, "plain.vs", "all.fs");
    EXPECT_EQ(manager.HowManyItems(), 18);
    vroProgressBar bar(engine().window.get());
    bar.AddSteps(manager.HowManyItems());
    manager.Load(bar);
    EXPECT_EQ(bar.getDoneSteps(), 18);
    EXPECT_FLOAT_EQ(bar.getFraction(), 1.0f);
    for (const char* name : names) {
        GLint linked = GL_FALSE;
        glGetProgramiv(manager.getShader(name)->id, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << name;
    }
}

TEST_F(ShaderManagerTest, RebuildsFromTheFirstSearchFolderAndKeepsAWorkingProgramOverABrokenOne)
{
    const TempDir edits;
    edits.write("green.fs", kAllUniformsFragment);
    vroShaderManager manager(&engine());
    manager.setSourceFolders({edits.path().string()});
    manager.addShader("edited", "plain.vs", "green.fs");
    manager.addShader("other", "plain.vs", "all.fs");
    vroProgressBar bar(engine().window.get());
    bar.AddSteps(manager.HowManyItems());
    manager.Load(bar);
    EXPECT_EQ(manager.sourcePath("green.fs"), (edits.path() / "green.fs").string());
    EXPECT_EQ(manager.sourcePath("plain.vs"), "plain.vs") << "what the folder lacks comes from the working folder";
    EXPECT_NE(glGetUniformLocation(manager.getShader("edited")->id, "uTime"), -1);
    EXPECT_EQ(manager.programsUsing("green.fs"), std::vector<std::string>{"edited"});
    EXPECT_EQ(manager.programsUsing("plain.vs"), (std::vector<std::string>{"edited", "other"}));

    const GLuint other = manager.getShader("other")->id;
    edits.write("green.fs", kPlainFragment);
    EXPECT_EQ(manager.Rebuild("edited"), "");
    EXPECT_EQ(glGetUniformLocation(manager.getShader("edited")->id, "uTime"), -1);
    EXPECT_EQ(manager.getShader("other")->id, other) << "programs not rebuilt are not touched";

    const GLuint working = manager.getShader("edited")->id;
    edits.write("green.fs", "out vec4 colour;\nvoid main() {\n    colour = ;\n}\n");
    ::testing::internal::CaptureStderr();
    const std::string problems = manager.Rebuild("edited");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "the caller reports a rebuild's problems";
    EXPECT_EQ(problems.rfind("green.fs:3: error: ", 0), 0u) << problems;
    EXPECT_EQ(manager.getShader("edited")->id, working);
    EXPECT_TRUE(glIsProgram(working));

    // A file gone is the problem, not the compiler's view of an empty text.
    std::filesystem::remove(edits.file("green.fs"));
    std::filesystem::remove(dir.file("green.fs"));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(manager.Rebuild("edited"), "green.fs: cannot be read\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(manager.getShader("edited")->id, working);
}

} // namespace
