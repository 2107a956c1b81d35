#include "picture.h"

#include <cassert>
#include <cmath>

#include <glm/common.hpp>

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
    return stbi_write_png(path.c_str(), columns, rows, 3, bytes.data(), columns * 3) != 0;
}
