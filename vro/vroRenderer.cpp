#include "vroRenderer.h"

#include "vroAbstractBaseRenderable.h"
#include "vroCamera.h"
#include "vroEngine.h"
#include "vroNode.h"
#include "vroShaderManager.h"

#include "vroGL.h"
#include <glm/gtc/type_ptr.hpp>

namespace {

void sendMatrix(GLuint program, const char* name, const glm::mat4& matrix)
{
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, glm::value_ptr(matrix));
}

void sendMatrices(GLuint program, const glm::mat4& view, const glm::mat4& projection, const glm::mat4& model)
{
    sendMatrix(program, "uViewMatrix", view);
    sendMatrix(program, "uProjectionMatrix", projection);
    sendMatrix(program, "uModelMatrix", model);
}

} // namespace

vroRenderer::vroRenderer(vroEngine* owner) : engine(owner)
{
}

void vroRenderer::Render(vroAbstractBaseRenderable& renderable, std::string shaderName)
{
    vroShaderProgram* program = engine->shaderManager->getShader(std::move(shaderName));
    if (!program->Use(engine))
        return;
    glEnable(GL_DEPTH_TEST);
    if (renderable.node) {
        const glm::mat4 identity(1.0f);
        sendMatrices(program->id, identity, identity, renderable.node->getModelMatrix());
    }
    renderable.Render();
}

void vroRenderer::Render(vroCamera& camera, vroAbstractBaseRenderable& renderable, std::string shaderName)
{
    vroShaderProgram* program = engine->shaderManager->getShader(std::move(shaderName));
    if (!program->Use(engine))
        return;
    glEnable(GL_DEPTH_TEST);
    if (renderable.node) {
        const glm::mat4 model = renderable.node->getModelMatrix();
        const glm::mat4 view = camera.getViewMatrix();
        const glm::mat4 projection = camera.getProjectionMatrix();
        sendMatrices(program->id, view, projection, model);
    }
    renderable.Render();
}
