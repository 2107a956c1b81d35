#pragma once

#include <cstdint>
#include <vector>

#include <epoxy/gl.h>

// A small 8-bit RGBA render target with a depth buffer, independent of the
// window's size.
class OffscreenTarget {
public:
    OffscreenTarget(int width, int height);
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    bool isComplete() const;
    // Binds the target and fits the viewport to it; unbind restores both.
    void bind();
    void unbind() const;
    // Every pixel, rows bottom first, 4 bytes each.
    std::vector<std::uint8_t> pixels() const;
    int width() const { return columns; }
    int height() const { return rows; }

private:
    int columns;
    int rows;
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    GLint previousViewport[4] = {0, 0, 0, 0};
};
