#pragma once

#include <limits>
#include <string>

#include <glm/vec2.hpp>

// An image file decoded to 8-bit RGBA, rows top to bottom. The decoded
// buffer comes from malloc and is handed over to whoever takes it (the
// texture that uses the asset); the asset never frees it.
class vroTextureAsset {
public:
    explicit vroTextureAsset(std::string fileName);

    vroTextureAsset(const vroTextureAsset&) = delete;
    vroTextureAsset& operator=(const vroTextureAsset&) = delete;

    // Decodes the file. A file that is missing, cannot be decoded or is
    // larger than largestSide pixels on a side is reported on standard error
    // and leaves the asset without pixels.
    void LoadData(int largestSide = std::numeric_limits<int>::max());
    unsigned char* getData() const { return data; }
    glm::ivec2 getDimensions() const { return dimensions; }
    const std::string& getFileName() const { return fileName; }

private:
    unsigned char* data = nullptr;
    std::string fileName;
    glm::ivec2 dimensions{0, 0};
};
