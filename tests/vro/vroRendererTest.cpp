#include "vroCamera.h"
#include "vroEngine.h"
#include "vroFSQuad.h"
#include "vroNode.h"
#include "vroRenderer.h"
#include "vroShaderManager.h"
#include "vroProgressBar.h"
#include "vroWindow.h"

#include "glTest.h"
#include "testFiles.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

using namespace testing_support;

namespace {

const char* const kMatrixVertex = R"(#version 410 core
layout (location = 0) in vec3 vertexPosition;
uniform mat4 uModelMatrix, uViewMatrix, uProjectionMatrix;
out float weight;
void main() {
    weight = uModelMatrix[0][0] + uViewMatrix[0][0] + uProjectionMatrix[0][0];
    gl_Position = vec4(vertexPosition, 1.0);
})";

const char* const kRedFragment = R"(#version 410 core
in float weight;
out vec4 colour;
void main() { colour = vec4(1.0, 0.0, 0.0, 1.0) + vec4(step(1e30, abs(weight))); })";

const char* const kGreenFragment = R"(#version 410 core
in float weight;
out vec4 colour;
void main() { colour = vec4(0.0, 1.0, 0.0, 1.0) + vec4(step(1e30, abs(weight))); })";

glm::mat4 uniformMatrix(GLuint program, const char* name)
{
    glm::mat4 matrix(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, name), glm::value_ptr(matrix));
    return matrix;
}

class RendererTest : public EngineTest {
protected:
    static void SetUpTestSuite()
    {
        EngineTest::SetUpTestSuite();
        TempDir dir;
        WorkingDir into(dir.path());
        dir.write("matrix.vs", kMatrixVertex);
        dir.write("red.fs", kRedFragment);
        dir.write("green.fs", kGreenFragment);
        dir.write("broken.fs", "#version 410 core\nvoid main() { not glsl }");
        engine().shaderManager->addShader("red", "matrix.vs", "red.fs");
        engine().shaderManager->addShader("green", "matrix.vs", "green.fs");
        engine().shaderManager->addShader("broken", "matrix.vs", "broken.fs");
        vroProgressBar bar(engine().window.get());
        bar.AddSteps(engine().shaderManager->HowManyItems());
        ::testing::internal::CaptureStderr();
        engine().shaderManager->Load(bar);
        ::testing::internal::GetCapturedStderr();
    }

    GLuint program(const char* name) { return engine().shaderManager->getShader(name)->id; }

    void poisonMatrices(GLuint id)
    {
        glUseProgram(id);
        const glm::mat4 marker(7.0f);
        for (const char* name : {"uModelMatrix", "uViewMatrix", "uProjectionMatrix"})
            glUniformMatrix4fv(glGetUniformLocation(id, name), 1, GL_FALSE, glm::value_ptr(marker));
    }
};

TEST_F(RendererTest, WithoutNodeNoMatrixIsTouched)
{
    poisonMatrices(program("red"));
    glDisable(GL_DEPTH_TEST);
    engine().window->clear();
    engine().renderer->Render(*engine().quad, "red");
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(getInteger(GL_CURRENT_PROGRAM), static_cast<GLint>(program("red")));
    for (const char* name : {"uModelMatrix", "uViewMatrix", "uProjectionMatrix"})
        EXPECT_EQ(uniformMatrix(program("red"), name), glm::mat4(7.0f)) << name;
    EXPECT_PIXEL_NEAR(readPixel(10, 10), 255, 0, 0, 255);
}

TEST_F(RendererTest, WithNodeIdentityViewAndProjectionAndTheModel)
{
    poisonMatrices(program("red"));
    vroFSQuad quad;
    vroNode node;
    quad.node = &node;
    engine().renderer->Render(quad, "red");
    EXPECT_EQ(uniformMatrix(program("red"), "uViewMatrix"), glm::mat4(1.0f));
    EXPECT_EQ(uniformMatrix(program("red"), "uProjectionMatrix"), glm::mat4(1.0f));
    EXPECT_EQ(uniformMatrix(program("red"), "uModelMatrix"), glm::translate(glm::mat4(1.0f), glm::vec3(1.0f)));
}

TEST_F(RendererTest, CameraFormSendsTheCamerasMatrices)
{
    vroCamera camera(engine().window->getDimensions());
    camera.setPosition({0, 3, 8});
    vroFSQuad quad;
    poisonMatrices(program("green"));
    engine().renderer->Render(camera, quad, "green");
    EXPECT_EQ(uniformMatrix(program("green"), "uViewMatrix"), glm::mat4(7.0f));

    vroNode node;
    node.setScale({2, 2, 2});
    quad.node = &node;
    engine().renderer->Render(camera, quad, "green");
    EXPECT_EQ(uniformMatrix(program("green"), "uViewMatrix"), camera.getViewMatrix());
    EXPECT_EQ(uniformMatrix(program("green"), "uProjectionMatrix"), camera.getProjectionMatrix());
    EXPECT_EQ(uniformMatrix(program("green"), "uModelMatrix"), node.getModelMatrix());
}

TEST_F(RendererTest, SecondFullScreenPassWithoutDepthClearChangesNothing)
{
    engine().window->clear();
    engine().renderer->Render(*engine().quad, "red");
    engine().renderer->Render(*engine().quad, "green");
    EXPECT_PIXEL_NEAR(readPixel(80, 45), 255, 0, 0, 255);
    engine().window->clear();
    engine().renderer->Render(*engine().quad, "green");
    EXPECT_PIXEL_NEAR(readPixel(80, 45), 0, 255, 0, 255);
}

// GL keeps the program before a failed one current: drawing would run that
// one (the post pass fed its own output, the loading screen stayed on).
TEST_F(RendererTest, AProgramThatDidNotBuildDrawsNothing)
{
    vroCamera camera(engine().window->getDimensions());
    engine().window->clear();
    engine().renderer->Render(*engine().quad, "red");
    engine().window->clear(glm::vec3(0.0f, 0.0f, 1.0f));
    engine().renderer->Render(*engine().quad, "broken");
    engine().renderer->Render(camera, *engine().quad, "broken");
    EXPECT_PIXEL_NEAR(readPixel(80, 45), 0, 0, 255, 255);
}

TEST_F(RendererTest, UnknownProgramNameThrows)
{
    EXPECT_THROW(engine().renderer->Render(*engine().quad, "nonexistent"), std::out_of_range);
}

} // namespace
