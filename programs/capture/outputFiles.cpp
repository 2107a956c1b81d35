#include "outputFiles.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include <unistd.h>

namespace {

constexpr std::size_t kLongestName = 255; // bytes of one name in a folder (NAME_MAX)

} // namespace

std::filesystem::path temporaryBeside(const std::filesystem::path& path, const std::string& tag)
{
    // A name near the longest a folder takes would be too long with the
    // mark added: its stem gives way.
    const std::string mark = "." + tag + "-" + std::to_string(getpid()) + path.extension().string();
    std::string stem = path.stem().string();
    stem.resize(std::min(stem.size(), kLongestName - std::min(kLongestName, mark.size() + 1)));
    return path.parent_path() / ("." + stem + mark);
}

bool canWriteFolder(const std::filesystem::path& folder)
{
    const std::filesystem::path target = folder.empty() ? "." : folder;
    std::error_code ignored;
    return std::filesystem::is_directory(target, ignored) && access(target.c_str(), W_OK | X_OK) == 0;
}

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}
