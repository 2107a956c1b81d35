#pragma once

// The sync-track player: named tracks of key frames, each read once from its
// own binary file "<base>_<track>.track", evaluated at fractional rows.
// Plain records and functions in the manner of a small C library: nothing
// here throws, and evaluation never allocates.

#include <cstddef>
#include <cstdint>

enum sync_key_kind : int32_t {
    SYNC_KEY_STEP = 0,   // hold the value until the next key
    SYNC_KEY_LINEAR = 1, // straight line to the next key's value
    SYNC_KEY_SMOOTH = 2, // smoothstep towards the next key's value
    SYNC_KEY_RAMP = 3,   // quadratic ease-in towards the next key's value
};

struct sync_key {
    int32_t row;
    float value;
    sync_key_kind kind;
};

struct sync_track {
    char* name;
    sync_key* keys;    // ascending rows, kinds within sync_key_kind; null while empty
    int32_t key_count; // never negative
};

struct sync_track_table {
    sync_track** items; // in order of creation; null while empty
    uint64_t item_count;
};

// The shapes of fopen, fread and fclose, which are the defaults.
struct sync_io_callbacks {
    void* (*open)(const char* path, const char* mode);
    size_t (*read)(void* destination, size_t element_size, size_t element_count, void* handle);
    int (*close)(void* handle);
};

struct sync_player {
    char* base_name;
    sync_track_table tracks;
    sync_io_callbacks io;
};

// Null when memory runs out. Touches no file.
sync_player* sync_create_device(const char* base);
void sync_destroy_device(sync_player* d);
void sync_set_io_cb(sync_player* d, const sync_io_callbacks* cb);

// The track of that name, read from its file on the first request. A missing
// or unreadable file gives a track without keys. Null only when memory runs
// out while creating the track.
const sync_track* sync_get_track(sync_player* d, const char* name);

// Replaces the keys of the named track with a copy of `count` keys, so a
// track can change while playing. The keys must ascend strictly by row and
// have kinds within sync_key_kind. Returns 0 when done; -1, with the track
// unchanged, for a name never requested, keys out of order or out of range,
// a negative count, or memory running out.
int sync_set_track_keys(sync_player* d, const char* name, const sync_key* keys, int32_t count);

// Index of the new track, or -1 when memory runs out. The name must not be
// in the table yet.
int sync_create_track(sync_track_table* d, const char* name);
void sync_data_deinit(sync_track_table* d);

// The track's value at a fractional row; 0.0 for a track without keys.
double sync_get_val(const sync_track* t, double row);

// Index of the key standing exactly at row, or -(insertion index) - 1 where
// the insertion index counts the keys below row.
int sync_find_key(const sync_track* t, int row);
