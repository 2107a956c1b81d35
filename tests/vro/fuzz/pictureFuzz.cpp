// libFuzzer target: any bytes as a picture file, decoded as the texture
// loader decodes one. Built and run by scripts/fuzz, replayed from corpus/
// and regressions/ by the ordinary tests.
//
// Beyond what the sanitizers catch: a decoded picture has a size within the
// loader's limits and the whole RGBA buffer that size needs (its last byte
// is read), and a refusal with a reason gives no pixels.

#include "vroTextureAsset.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kLargestSide = 16384;

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "picture fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<unsigned char> bytes(data, data + size);
    glm::ivec2 dimensions(0, 0);
    std::string problem;
    unsigned char* pixels = vroTextureAsset::Decode(bytes, kLargestSide, dimensions, problem);
    if (!pixels)
        return 0;
    require(problem.empty(), "a picture came with a problem");
    require(dimensions.x >= 1 && dimensions.y >= 1 && dimensions.x <= kLargestSide && dimensions.y <= kLargestSide,
            "a decoded size beyond the limits");
    const size_t last = static_cast<size_t>(dimensions.x) * dimensions.y * 4 - 1;
    volatile unsigned char touched = pixels[last];
    (void)touched;
    std::free(pixels);
    return 0;
}
