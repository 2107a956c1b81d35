#include "vroTextureManager.h"

#include "vroProgressBar.h"
#include "vroTexture.h"

vroTextureManager::vroTextureManager() = default;

vroTextureManager::~vroTextureManager() = default;

void vroTextureManager::addTexture(std::string name, std::string fileName)
{
    ++count;
    // A texture made for a name already taken goes at once, GL name and all.
    textures.try_emplace(std::move(name), std::make_unique<vroTexture>(std::move(fileName)));
}

void vroTextureManager::Load(vroProgressBar& progressBar)
{
    for (auto& entry : textures) {
        entry.second->Load();
        progressBar.Advance();
    }
}

vroTexture* vroTextureManager::getTexture(std::string name)
{
    return textures.at(name).get();
}
