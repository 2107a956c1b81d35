#include "vroFlipFlopTexture.h"

#include "vroTexture.h"

#include <utility>

vroFlipFlopTexture::vroFlipFlopTexture(glm::ivec2 size)
    : front(std::make_unique<vroTexture>(size, GL_RGBA, GL_FLOAT))
    , back(std::make_unique<vroTexture>(size, GL_RGBA, GL_FLOAT))
{
}

vroFlipFlopTexture::~vroFlipFlopTexture()
{
    front.reset();
    back.reset();
}

void vroFlipFlopTexture::Load()
{
    front->Load();
    back->Load();
}

void vroFlipFlopTexture::Flip()
{
    std::swap(front, back);
}
