// Opening a file on POSIX systems (the desktop, and the page's in-memory file
// system); bassByteSourceFileWindows.cpp is Windows' own.
#include "bassByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Only a file whose size is known is read: a folder opens and fails only
// when read, and a FIFO nobody writes to would block a plain opening for
// ever, so the opening does not wait and anything but a file is refused.
std::unique_ptr<bassByteSource> bassByteSource::openFile(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat status;
    std::FILE* file = nullptr;
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode))
        file = fdopen(descriptor, "rb");
    if (!file) {
        close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<bassByteSource>(new bassByteSource(file, nullptr, static_cast<uint64_t>(status.st_size)));
}
