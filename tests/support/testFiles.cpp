#include "testFiles.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

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

} // namespace testing_support
