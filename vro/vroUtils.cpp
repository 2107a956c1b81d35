#include "vroUtils.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "vroGL.h"

std::string vroUtils::ReadTextFile(std::string path)
{
    std::ifstream file(std::filesystem::u8path(path), std::ios::binary);
    std::stringstream text(std::ios::in | std::ios::out);
    if (file)
        text << file.rdbuf();
    return text.str();
}

void vroUtils::ClearTextureSlot(unsigned unit)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, 0);
}

bool vroUtils::isSoftwareRenderer(const std::string& renderer)
{
    std::string name = renderer;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swiftshader",
                                 "basic render driver"})
        if (name.find(software) != std::string::npos)
            return true;
    return false;
}
