#pragma once

#include <string>

class vroAbstractBaseRenderable;
class vroCamera;
class vroEngine;

// Draws one renderable with one named program into whatever framebuffer is
// bound. Matrices are sent only for renderables that carry a node. A program
// that did not build (already reported) draws nothing.
class vroRenderer {
public:
    explicit vroRenderer(vroEngine* engine);

    void Render(vroAbstractBaseRenderable& renderable, std::string shaderName);
    void Render(vroCamera& camera, vroAbstractBaseRenderable& renderable, std::string shaderName);

private:
    vroEngine* engine;
};
