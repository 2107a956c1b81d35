#include "picture.h"

#include "wholeFile.h"

#include <cassert>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include <glm/common.hpp>

#include <cstdlib>
#include <cstring>

namespace {

// The picture's data as stored (uncompressed) deflate blocks in a zlib
// stream, in place of stb's compressor: the production decodes the picture
// while the loading bar runs, and inflating the compressed 0.9 MB took about
// ten times as long as copying 2.7 MB stored. Same signature and allocator
// as the compressor it replaces; quality is ignored.
unsigned char* storedZlib(unsigned char* data, int length, int* outLength, int /*quality*/)
{
    constexpr int maxBlock = 65535;
    const int blocks = length / maxBlock + 1;
    const std::size_t size = 2 + static_cast<std::size_t>(blocks) * 5 + static_cast<std::size_t>(length) + 4;
    auto* out = static_cast<unsigned char*>(std::malloc(size));
    if (!out)
        return nullptr;
    std::size_t at = 0;
    out[at++] = 0x78; // deflate, 32 KB window
    out[at++] = 0x01; // no preset dictionary; header check
    for (int block = 0; block < blocks; ++block) {
        const int start = block * maxBlock;
        const int count = std::min(maxBlock, length - start);
        out[at++] = block == blocks - 1 ? 1 : 0; // final flag, type "stored"
        out[at++] = static_cast<unsigned char>(count & 0xff);
        out[at++] = static_cast<unsigned char>(count >> 8);
        out[at++] = static_cast<unsigned char>(~count & 0xff);
        out[at++] = static_cast<unsigned char>((~count >> 8) & 0xff);
        std::memcpy(out + at, data + start, static_cast<std::size_t>(count));
        at += static_cast<std::size_t>(count);
    }
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (int i = 0; i < length; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    for (int shift = 24; shift >= 0; shift -= 8)
        out[at++] = static_cast<unsigned char>(((b << 16 | a) >> shift) & 0xff);
    *outLength = static_cast<int>(at);
    return out;
}

} // namespace

#define STBIW_ZLIB_COMPRESS storedZlib
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

// Interleaved gradient noise: a fixed pattern in -0.5..0.5 per pixel.
float dither(int x, int y)
{
    const float v = 52.9829189f * std::fmod(0.06711056f * static_cast<float>(x) + 0.00583715f * static_cast<float>(y), 1.0f);
    return v - std::floor(v) - 0.5f;
}

} // namespace

Picture::Picture(int width, int height)
    : columns(width), rows(height), pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
{
    assert(width > 0 && height > 0);
}

std::size_t Picture::index(int x, int y) const
{
    assert(x >= 0 && x < columns && y >= 0 && y < rows);
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(x);
}

void Picture::set(int x, int y, glm::vec3 colour)
{
    pixels[index(x, y)] = colour;
}

glm::vec3 Picture::get(int x, int y) const
{
    return pixels[index(x, y)];
}

std::vector<std::uint8_t> Picture::encode() const
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixels.size() * 3);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const glm::vec3 colour = get(x, y);
            const float noise = dither(x, y);
            for (int channel = 0; channel < 3; ++channel) {
                const float level = colour[channel] * 255.0f + noise;
                bytes.push_back(static_cast<std::uint8_t>(glm::clamp(std::lround(level), 0L, 255L)));
            }
        }
    }
    return bytes;
}

bool Picture::writePng(const std::string& path) const
{
    const std::vector<std::uint8_t> bytes = encode();
    // No row filter: with nothing compressed it would only cost decoding.
    stbi_write_force_png_filter = 0;
    // Encoded in memory: stb's own file writer would not notice a write that
    // fails (a full disk) and leaves a cut file under the final name.
    std::vector<std::uint8_t> png;
    const auto append = [](void* context, void* data, int size) {
        auto& out = *static_cast<std::vector<std::uint8_t>*>(context);
        const auto* first = static_cast<const std::uint8_t*>(data);
        out.insert(out.end(), first, first + size);
    };
    return stbi_write_png_to_func(append, &png, columns, rows, 3, bytes.data(), columns * 3) != 0
        && writeWholeFile(path, png);
}
