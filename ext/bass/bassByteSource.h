#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// The bytes a stream is opened from: a file, or a block of memory that the
// caller keeps valid for the stream's life. Reads and seeks like a file.
class bassByteSource {
public:
    // Null when the file cannot be opened.
    static std::unique_ptr<bassByteSource> openFile(const std::string& path);
    static std::unique_ptr<bassByteSource> inMemory(const void* data, uint64_t size);
    ~bassByteSource();

    bassByteSource(const bassByteSource&) = delete;
    bassByteSource& operator=(const bassByteSource&) = delete;

    uint64_t size() const { return byteCount; }
    // Bytes read into `out`, fewer than `bytes` at the end; -1 on a read error.
    int64_t read(void* out, uint64_t bytes);
    // The new offset, or -1 when it would fall outside the bytes.
    int64_t seek(int64_t offset, int whence);

private:
    bassByteSource(std::FILE* file, const uint8_t* memory, uint64_t size);

    std::FILE* file;
    const uint8_t* memory;
    uint64_t byteCount;
    uint64_t offset = 0;
};
