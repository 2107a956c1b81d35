// Opening a track file on Windows; fileOpen.cpp is the POSIX systems' own.
#include "syncPrivate.h"
#include "trackfile.h"

#include <cerrno>
#include <cstdio>

#include <sys/stat.h>
#include <windows.h>

namespace {

// UTF-8 to the UTF-16 that Windows' file names are; false when the text is
// no UTF-8 or too long for the buffer.
template <size_t Size>
bool widen(const char* text, wchar_t (&wide)[Size])
{
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, static_cast<int>(Size)) > 0;
}

} // namespace

// Names are UTF-8, as everywhere else: the narrow functions take them in the
// system's code page, which is UTF-8 only where Windows honours the
// programs' manifest (Windows 10 1903 and later). Windows has no FIFO that blocks an opening. A
// folder is refused as EISDIR (opening one fails with EACCES), a device such
// as "NUL" or "CON" as ENODEV.
void* sync_open_file(const char* path, const char* mode)
{
    wchar_t name[SYNC_FILE_NAME_SIZE];
    wchar_t wideMode[8];
    if (!widen(path, name) || !widen(mode, wideMode)) {
        errno = EINVAL;
        return nullptr;
    }
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return nullptr;
    }
    std::FILE* file = _wfopen(name, wideMode);
    if (!file)
        return nullptr;
    struct _stat64 status;
    if (_fstat64(_fileno(file), &status) == 0 && !(status.st_mode & (_S_IFREG | _S_IFIFO))) {
        std::fclose(file);
        errno = ENODEV;
        return nullptr;
    }
    return file;
}
