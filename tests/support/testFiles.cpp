#include "testFiles.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace testing_support {

TempDir::TempDir()
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() / ("kelvandrix-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            dir = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void TempDir::write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(dir / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir::writePng(const std::string& name, const std::vector<std::uint8_t>& rgba, int width,
                              int height) const
{
    const auto path = dir / name;
    if (!testing_support::writePng(path, rgba.data(), width, height))
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

WorkingDir::WorkingDir(const std::filesystem::path& dir) : previous(std::filesystem::current_path())
{
    std::filesystem::current_path(dir);
}

WorkingDir::~WorkingDir()
{
    std::filesystem::current_path(previous);
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::filesystem::path sourceDir()
{
    return KELVANDRIX_SOURCE_DIR;
}

std::filesystem::path runDir()
{
    return KELVANDRIX_RUN_DIR;
}

bool writePng(const std::filesystem::path& path, const std::uint8_t* rgba, int width, int height)
{
    return stbi_write_png(path.u8string().c_str(), width, height, 4, rgba, width * 4) != 0;
}

const std::vector<std::uint8_t> kTwoByTwo = {
    255, 0, 0, 255, 0, 255, 0, 128,
    0, 0, 255, 255, 255, 255, 255, 255,
};

} // namespace testing_support
