#pragma once

#include <sys/resource.h>

namespace testing_support {

// Files of this process may grow to `bytes` at most while the object lives,
// the way a full disk refuses them (a write fails instead of a signal).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
};

} // namespace testing_support
