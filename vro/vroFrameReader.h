#pragma once

#include <cstdint>
#include <vector>

#include "vroGL.h"

// Reads whole frames back from the framebuffer bound for reading, through a
// ring of pixel buffer objects: Queue starts the copy of the frame just drawn
// and returns at once, so the driver finishes it while the next frame draws;
// Take hands out the oldest queued frame, rows from the top, tightly packed.
class vroFrameReader {
public:
    // `format` GL_RGBA reads 8-bit RGBA, GL_BGRA the same bytes blue first
    // (a straight copy for Mesa's software renderer, whose buffers are kept
    // so: RGBA costs it three times as much), GL_RED one byte a pixel.
    vroFrameReader(int width, int height, int slots = 2, GLenum format = GL_RGBA);
    ~vroFrameReader();

    vroFrameReader(const vroFrameReader&) = delete;
    vroFrameReader& operator=(const vroFrameReader&) = delete;

    // Needs a free slot (pending() < slots()).
    void Queue();
    // Needs a queued frame; waits for it if the copy is still running. The
    // pixels stay valid until the next Take.
    const std::vector<std::uint8_t>& Take();

    int pending() const { return queued; }
    int slots() const { return static_cast<int>(buffers.size()); }

private:
    std::vector<GLuint> buffers;
    std::vector<std::uint8_t> pixels;
    int width;
    int height;
    GLenum format;
    int next = 0;   // the slot the next Queue fills
    int queued = 0; // slots filled and not yet taken
};
