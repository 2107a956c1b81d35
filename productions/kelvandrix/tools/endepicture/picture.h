#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

// A picture in floating-point display RGB (0..1), row 0 at the top, that is
// written out as an 8-bit PNG.
class Picture {
public:
    Picture(int width, int height);

    int width() const { return columns; }
    int height() const { return rows; }
    void set(int x, int y, glm::vec3 colour);
    glm::vec3 get(int x, int y) const;

    // 8-bit RGB, rows top first. A fixed per-pixel dither breaks up banding in
    // the long gradients and keeps the bytes the same from run to run.
    std::vector<std::uint8_t> encode() const;
    // False when the file cannot be written.
    bool writePng(const std::string& path) const;

private:
    std::size_t index(int x, int y) const;

    int columns;
    int rows;
    std::vector<glm::vec3> pixels;
};
