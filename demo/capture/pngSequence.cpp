#include "pngSequence.h"

#include "outputFiles.h"

#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

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
    std::error_code failed;
    if (stbi_write_png(partial.c_str(), width, height, 4, rgba.data(), width * 4) == 0
        || (std::filesystem::rename(partial, final, failed), failed)) {
        std::fprintf(stderr, "capture: cannot write \"%s\"\n", final.c_str());
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
