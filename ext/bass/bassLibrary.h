#pragma once

#include "bass.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

class bassStream;

// The layer's process-wide state: whether it is started, which output kind
// its streams use, and the streams by handle. One lock serialises every
// interface call; output threads never take it.
class bassLibrary {
public:
    static bassLibrary& instance();

    std::mutex& lock() { return guard; }

    // The calls below need lock() held.
    bool start(int device);
    bool stop();
    // A file named by `path`, or `size` bytes at `memory` when it is not
    // null (they stay the caller's and must outlive the stream).
    HSTREAM createStream(const char* path, const void* memory, uint64_t size, DWORD flags);
    bool freeStream(HSTREAM handle);
    // Null for a handle that names no stream.
    bassStream* find(DWORD handle);
    bool info(DWORD handle, BASS_CHANNELINFO& info);

private:
    struct Entry {
        std::unique_ptr<bassStream> stream;
        DWORD flags;
        std::string path; // empty for memory
    };

    bool openSoundSystem();

    std::mutex guard;
    bool started = false;
    bool audible = false;
    DWORD lastHandle = 0;
    std::map<DWORD, Entry> streams;
};
