#include "outputFiles.h"

#include <cstdlib>
#include <sstream>

#include <unistd.h>

std::filesystem::path temporaryBeside(const std::filesystem::path& path, const std::string& tag)
{
    const std::string name = "." + path.stem().string() + "." + tag + "-" + std::to_string(getpid())
                             + path.extension().string();
    return path.parent_path() / name;
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
