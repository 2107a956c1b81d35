#pragma once

#include "vroVertexAttributeObject.h"

class vroNode;

// Something the renderer can draw: binds its own vertex array and issues one
// draw call. The node, when set, gives the model matrix; it is not owned.
class vroAbstractBaseRenderable {
public:
    vroAbstractBaseRenderable() = default;
    virtual ~vroAbstractBaseRenderable() = default;

    vroAbstractBaseRenderable(const vroAbstractBaseRenderable&) = delete;
    vroAbstractBaseRenderable& operator=(const vroAbstractBaseRenderable&) = delete;

    virtual void Render() = 0;

    vroNode* node = nullptr;

protected:
    vroVertexAttributeObject vao;
};
