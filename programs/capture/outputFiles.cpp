#include "outputFiles.h"

#include "vroProcessPlatform.h"

#include <algorithm>

namespace {

constexpr std::size_t kLongestName = 255; // bytes of one name in a folder (NAME_MAX)

} // namespace

std::filesystem::path temporaryBeside(const std::filesystem::path& path, const std::string& tag)
{
    // A name near the longest a folder takes would be too long with the
    // mark added: its stem gives way.
    const std::string mark = "." + tag + "-" + std::to_string(vroProcessPlatform::ProcessId()) + path.extension().string();
    std::string stem = path.stem().string();
    stem.resize(std::min(stem.size(), kLongestName - std::min(kLongestName, mark.size() + 1)));
    return path.parent_path() / ("." + stem + mark);
}

bool canWriteFolder(const std::filesystem::path& folder)
{
    return vroProcessPlatform::CanWriteFolder(folder.empty() ? "." : folder);
}
