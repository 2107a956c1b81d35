#include "vroFrameReader.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>

namespace {

std::size_t bytesPerPixel(GLenum format)
{
    return format == GL_RED ? 1 : 4;
}

} // namespace

vroFrameReader::vroFrameReader(int width, int height, int slots, GLenum format)
    : buffers(static_cast<std::size_t>(slots)),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * bytesPerPixel(format)),
      width(width),
      height(height),
      format(format)
{
    assert(width > 0 && height > 0 && slots >= 1 && (format == GL_RGBA || format == GL_BGRA || format == GL_RED));
    glGenBuffers(slots, buffers.data());
    for (GLuint buffer : buffers) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(pixels.size()), nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

vroFrameReader::~vroFrameReader()
{
    glDeleteBuffers(slots(), buffers.data());
}

void vroFrameReader::Queue()
{
    assert(queued < slots());
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[next]);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, format, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    next = (next + 1) % slots();
    ++queued;
}

const std::vector<std::uint8_t>& vroFrameReader::Take()
{
    assert(queued > 0);
    const int oldest = (next - queued + slots()) % slots();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[oldest]);
    const auto* mapped = static_cast<const std::uint8_t*>(
        glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(pixels.size()), GL_MAP_READ_BIT));
    // GL keeps rows bottom first; pictures and video encoders want the top first.
    const std::size_t row = static_cast<std::size_t>(width) * bytesPerPixel(format);
    if (mapped) {
        for (int y = 0; y < height; ++y)
            std::memcpy(&pixels[static_cast<std::size_t>(y) * row],
                        mapped + static_cast<std::size_t>(height - 1 - y) * row, row);
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    } else {
        std::fprintf(stderr, "frame reader: cannot map the pixels of a frame; it is handed out black\n");
        std::fill(pixels.begin(), pixels.end(), std::uint8_t{0});
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    --queued;
    return pixels;
}
