// Opening a track file on POSIX systems (the desktop, and the page's
// in-memory file system); fileOpenWindows.cpp is Windows' own.
#include "syncPrivate.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A FIFO nobody writes to would block a plain fopen for ever: the file is
// opened without waiting for a writer, so that such a FIFO reads as empty
// while a pipe that has one still streams. A folder is refused as EISDIR,
// where fopen would open it and every read fail, and a device as ENODEV: one
// like /dev/urandom would announce up to two billion keys and deliver them.
void* sync_open_file(const char* path, const char* mode)
{
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status;
    if (fstat(fd, &status) == 0 && !S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode)) {
        close(fd);
        errno = S_ISDIR(status.st_mode) ? EISDIR : ENODEV;
        return nullptr;
    }
    std::FILE* file = nullptr;
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
        file = fdopen(fd, mode);
    if (!file)
        close(fd);
    return file;
}

