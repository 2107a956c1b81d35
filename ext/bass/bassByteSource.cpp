#include "bassByteSource.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<bassByteSource> bassByteSource::inMemory(const void* data, uint64_t size)
{
    return std::unique_ptr<bassByteSource>(new bassByteSource(nullptr, static_cast<const uint8_t*>(data), size));
}

bassByteSource::bassByteSource(std::FILE* file, const uint8_t* memory, uint64_t size)
    : file(file)
    , memory(memory)
    , byteCount(size)
{
}

bassByteSource::~bassByteSource()
{
    if (file)
        std::fclose(file);
}

int64_t bassByteSource::read(void* out, uint64_t bytes)
{
    const uint64_t count = offset < byteCount ? std::min(bytes, byteCount - offset) : 0;
    if (file) {
        const size_t got = std::fread(out, 1, static_cast<size_t>(count), file);
        if (got < count && std::ferror(file))
            return -1;
        offset += got;
        return static_cast<int64_t>(got);
    }
    if (count > 0)
        std::memcpy(out, memory + offset, static_cast<size_t>(count));
    offset += count;
    return static_cast<int64_t>(count);
}

int64_t bassByteSource::seek(int64_t to, int whence)
{
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<int64_t>(offset);
    else if (whence == SEEK_END)
        base = static_cast<int64_t>(byteCount);
    else if (whence != SEEK_SET)
        return -1;
    if (to > static_cast<int64_t>(byteCount) || to < -static_cast<int64_t>(byteCount))
        return -1;
    const int64_t target = base + to;
    if (target < 0 || static_cast<uint64_t>(target) > byteCount)
        return -1;
    if (file && std::fseek(file, static_cast<long>(target), SEEK_SET) != 0)
        return -1;
    offset = static_cast<uint64_t>(target);
    return target;
}
