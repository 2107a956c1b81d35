#pragma once

#include <filesystem>
#include <string>

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

} // namespace testing_support
