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
    HSTREAM createStream(const std::string& path);
    // Null for a handle that names no stream.
    bassStream* find(DWORD handle);

private:
    bool openSoundSystem();

    std::mutex guard;
    bool started = false;
    bool audible = false;
    DWORD lastHandle = 0;
    std::map<DWORD, std::unique_ptr<bassStream>> streams;
};
