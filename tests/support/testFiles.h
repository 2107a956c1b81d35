#pragma once

#include <filesystem>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return dir; }
    std::filesystem::path file(const std::string& name) const { return dir / name; }
    void write(const std::string& name, const std::string& bytes) const;
    // Writes 8-bit RGBA pixels, rows from the top, as a PNG file; gives its path.
    std::string writePng(const std::string& name, const std::vector<std::uint8_t>& rgba, int width,
                         int height) const;

private:
    std::filesystem::path dir;
};

// Changes the working directory for the object's life.
class WorkingDir {
public:
    explicit WorkingDir(const std::filesystem::path& dir);
    ~WorkingDir();
    WorkingDir(const WorkingDir&) = delete;
    WorkingDir& operator=(const WorkingDir&) = delete;

private:
    std::filesystem::path previous;
};

std::string readFile(const std::filesystem::path& path);
std::filesystem::path sourceDir();
std::filesystem::path runDir();

// Writes 8-bit RGBA pixels, rows from the top, as a PNG file.
bool writePng(const std::filesystem::path& path, const std::uint8_t* rgba, int width, int height);

// A 2x2 picture. Top row: red, half-transparent green; bottom row: blue, white.
extern const std::vector<std::uint8_t> kTwoByTwo;

} // namespace testing_support
