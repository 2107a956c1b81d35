// Opening a file on Windows; bassByteSourceFile.cpp is the POSIX systems'
// own.
#include "bassByteSource.h"

#include <filesystem>

#include <sys/stat.h>

// Names are UTF-8, as everywhere else: the narrow functions take them in the
// system's code page, which is UTF-8 only where Windows honours the
// programs' manifest (Windows 10 1903 and later). A folder does not open; a device such as "NUL"
// has no size to know and is refused.
std::unique_ptr<bassByteSource> bassByteSource::openFile(const std::string& path)
{
    std::filesystem::path name;
    try {
        name = std::filesystem::u8path(path);
    } catch (const std::exception&) {
        return nullptr; // no UTF-8
    }
    std::FILE* file = _wfopen(name.c_str(), L"rb");
    if (!file)
        return nullptr;
    struct _stat64 status;
    if (_fstat64(_fileno(file), &status) != 0 || !(status.st_mode & _S_IFREG)) {
        std::fclose(file);
        return nullptr;
    }
    return std::unique_ptr<bassByteSource>(new bassByteSource(file, nullptr, static_cast<uint64_t>(status.st_size)));
}
