#pragma once

#include <limits>
#include <string>
#include <vector>

#include <glm/vec2.hpp>

// An image file decoded to 8-bit RGBA, rows top to bottom. The decoded
// buffer comes from malloc and is handed over to whoever takes it (the
// texture that uses the asset); the asset never frees it.
class vroTextureAsset {
public:
    explicit vroTextureAsset(std::string fileName);

    vroTextureAsset(const vroTextureAsset&) = delete;
    vroTextureAsset& operator=(const vroTextureAsset&) = delete;

    // Decodes the file. A file that is missing, cannot be decoded, is
    // larger than largestSide pixels on a side or claims more pixels than
    // its bytes can hold is reported on standard error and leaves the asset
    // without pixels.
    void LoadData(int largestSide = std::numeric_limits<int>::max());
    // A picture file's bytes decoded to malloc'd RGBA: PNG, JPEG, BMP, TGA
    // or GIF (its first picture). Null when they do not decode, and then
    // `problem` says why, unless they are simply no such picture.
    static unsigned char* Decode(const std::vector<unsigned char>& bytes, int largestSide, glm::ivec2& dimensions,
                                 std::string& problem);
    unsigned char* getData() const { return data; }
    glm::ivec2 getDimensions() const { return dimensions; }
    const std::string& getFileName() const { return fileName; }

private:
    unsigned char* data = nullptr;
    std::string fileName;
    glm::ivec2 dimensions{0, 0};
};
