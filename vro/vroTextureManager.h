#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

class vroProgressBar;
class vroTexture;

// Image textures registered by name. Registering already creates the
// texture and its GL name; decoding and uploading wait for Load. The first
// texture registered under a name stays.
class vroTextureManager {
public:
    vroTextureManager();
    ~vroTextureManager();

    vroTextureManager(const vroTextureManager&) = delete;
    vroTextureManager& operator=(const vroTextureManager&) = delete;

    void addTexture(std::string name, std::string fileName);
    // Counts registrations, so a name registered twice announces one step
    // more than Load makes.
    int HowManyItems() const { return count; }
    // Decodes and uploads every stored texture in name order, one progress
    // step each.
    void Load(vroProgressBar& progressBar);
    // Throws std::out_of_range for a name that was never registered.
    vroTexture* getTexture(std::string name);
    // Decodes again every texture made from that file and uploads it; one
    // that cannot be decoded keeps its picture. The number replaced.
    int ReloadFile(const std::string& fileName);
    // The image files of the textures made from one, each once, in name order.
    std::vector<std::string> getFileNames() const;

private:
    std::map<std::string, std::unique_ptr<vroTexture>> textures;
    int count = 0;
};
