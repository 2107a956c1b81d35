#include "pngSequence.h"

#include "outputFiles.h"
#include "vroProcessPlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

// stb's own file writer ignores failed writes: a full disk would leave a cut
// picture that looks complete. False with errno set when a byte is missing.
bool writeBytes(const std::filesystem::path& path, const unsigned char* bytes, std::size_t size)
{
    std::FILE* file = vroProcessPlatform::OpenFile(path, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written)
        errno = writeError;
    return written && closed;
}

} // namespace

PngSequence::PngSequence(std::filesystem::path folder, int width, int height)
    : folder(std::move(folder)), width(width), height(height)
{
}

std::string PngSequence::fileName(long number)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06ld.png", number);
    return name;
}

bool PngSequence::Write(long number, const std::vector<std::uint8_t>& rgba)
{
    const std::filesystem::path final = folder / fileName(number);
    partial = temporaryBeside(final, "capture");
    int size = 0;
    errno = ENOMEM;
    unsigned char* png = stbi_write_png_to_mem(rgba.data(), width * 4, width, height, 4, &size);
    const bool written = png && writeBytes(partial, png, static_cast<std::size_t>(size));
    const int writeError = errno;
    STBIW_FREE(png);
    std::error_code failed;
    if (!written || (std::filesystem::rename(partial, final, failed), failed)) {
        std::fprintf(stderr, "capture: cannot write \"%s\": %s\n", final.u8string().c_str(),
                     failed ? failed.message().c_str() : std::strerror(writeError));
        Abandon();
        return false;
    }
    partial.clear();
    return true;
}

void PngSequence::Abandon()
{
    std::error_code ignored;
    if (!partial.empty())
        std::filesystem::remove(partial, ignored);
    partial.clear();
}
