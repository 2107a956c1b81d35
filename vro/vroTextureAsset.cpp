#include "vroTextureAsset.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

// The decoded pixels are released with free() by their new owner.
#define STBI_MALLOC(size) std::malloc(size)
#define STBI_REALLOC(pointer, size) std::realloc(pointer, size)
#define STBI_FREE(pointer) std::free(pointer)
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace {
constexpr int kComponents = 4;
}

vroTextureAsset::vroTextureAsset(std::string fileName)
    : fileName(std::move(fileName))
{
}

void vroTextureAsset::LoadData(int largestSide)
{
    assert(data == nullptr && "an asset is decoded once; its buffer belongs to the texture");
    int width = 0;
    int height = 0;
    int componentsInFile = 0;
    // Only a file is read: a FIFO without a writer would block stb for ever.
    std::error_code ignored;
    if (std::filesystem::is_regular_file(fileName, ignored)) {
        // The header alone decides the size of what is decoded: some formats
        // take a file cut short for a picture of zeros of that size.
        if (stbi_info(fileName.c_str(), &width, &height, &componentsInFile)
            && (width > largestSide || height > largestSide)) {
            std::fprintf(stderr, "texture: \"%s\" is %dx%d, larger than the %d pixels a side this GL allows\n",
                         fileName.c_str(), width, height, largestSide);
            return;
        }
        data = stbi_load(fileName.c_str(), &width, &height, &componentsInFile, kComponents);
    }
    if (!data) {
        std::fprintf(stderr, "texture: cannot decode \"%s\"\n", fileName.c_str());
        return;
    }
    dimensions = glm::ivec2(width, height);
}
