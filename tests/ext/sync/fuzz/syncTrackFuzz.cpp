// libFuzzer target: any bytes as a track file. Built and run by
// scripts/fuzz-sync, never by the ordinary build.
//
// Beyond what the sanitizers catch, every track read must be usable: no
// negative count, rows strictly ascending, kinds in range, no more keys than
// the bytes hold, and no NaN from evaluation unless a key's value is one.

#include "sync.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>

namespace {

struct MemoryFile {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

MemoryFile file;

void* memoryOpen(const char*, const char*)
{
    file.offset = 0;
    return &file;
}

// Whole elements only, as fread delivers them from a short file.
size_t memoryRead(void* destination, size_t elementSize, size_t elementCount, void* handle)
{
    MemoryFile* in = static_cast<MemoryFile*>(handle);
    size_t done = 0;
    while (done < elementCount && in->size - in->offset >= elementSize) {
        std::memcpy(static_cast<char*>(destination) + done * elementSize, in->data + in->offset, elementSize);
        in->offset += elementSize;
        ++done;
    }
    return done;
}

int memoryClose(void*)
{
    return 0;
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void requireValue(const sync_track* track, double row, bool finiteKeys)
{
    const double value = sync_get_val(track, row);
    require(!finiteKeys || std::isfinite(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    file = MemoryFile{data, size, 0};
    sync_player* device = sync_create_device("fuzz");
    require(device != nullptr);
    const sync_io_callbacks callbacks = {memoryOpen, memoryRead, memoryClose};
    sync_set_io_cb(device, &callbacks);
    const sync_track* track = sync_get_track(device, "track");
    require(track != nullptr);

    const int32_t count = track->key_count;
    require(count >= 0 && (count == 0) == (track->keys == nullptr));
    require(size < 8 || static_cast<size_t>(count) <= (size - 8) / 9);
    bool finiteKeys = true;
    for (int32_t i = 0; i < count; ++i) {
        require(track->keys[i].kind >= SYNC_KEY_STEP && track->keys[i].kind <= SYNC_KEY_RAMP);
        require(i == 0 || track->keys[i - 1].row < track->keys[i].row);
        finiteKeys = finiteKeys && std::isfinite(track->keys[i].value);
    }

    const double inf = std::numeric_limits<double>::infinity();
    for (double row : {std::nan(""), -inf, inf, -1e300, 1e300, static_cast<double>(INT_MIN) - 0.5,
                       static_cast<double>(INT_MIN), static_cast<double>(INT_MAX), static_cast<double>(INT_MAX) + 0.5,
                       0.0, -0.5})
        requireValue(track, row, finiteKeys);
    for (int32_t i = 0; i < count; ++i) {
        const double row = track->keys[i].row;
        require(sync_find_key(track, track->keys[i].row) == i);
        for (double offset : {-0.5, 0.0, 0.25, 0.5, 0.999})
            requireValue(track, row + offset, finiteKeys);
    }

    // A second request must hand back the same track without reading again.
    require(sync_get_track(device, "track") == track);
    sync_destroy_device(device);
    return 0;
}
