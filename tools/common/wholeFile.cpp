#include "wholeFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

bool writeTo(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out.good();
}

} // namespace

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    // Renaming over a device would replace the device itself.
    std::error_code ignored;
    const auto status = std::filesystem::status(path, ignored);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return writeTo(path, bytes);
    // Through a symbolic link, as editors save: renamed onto the link, the
    // file would replace it and leave the link's target as it was.
    std::error_code unresolved;
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, unresolved);
    const std::string file = unresolved ? path : target.string();
    const std::string partial = file + ".part";
    if (writeTo(partial, bytes) && std::rename(partial.c_str(), file.c_str()) == 0)
        return true;
    std::remove(partial.c_str());
    return false;
}
