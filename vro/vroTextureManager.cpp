#include "vroTextureManager.h"

#include "vroProgressBar.h"
#include "vroTexture.h"

#include <set>

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

int vroTextureManager::ReloadFile(const std::string& fileName)
{
    int replaced = 0;
    for (auto& entry : textures)
        if (entry.second->getFileName() == fileName && entry.second->Reload())
            ++replaced;
    return replaced;
}

std::vector<std::string> vroTextureManager::getFileNames() const
{
    std::set<std::string> files;
    for (const auto& entry : textures)
        if (!entry.second->getFileName().empty())
            files.insert(entry.second->getFileName());
    return {files.begin(), files.end()};
}
