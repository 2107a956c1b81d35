#pragma once

#include "vroPlainBufferRenderable.h"

// Two triangles covering normalised device coordinates from -1 to 1.
class vroFSQuad : public vroPlainBufferRenderable {
public:
    vroFSQuad();
};
