#pragma once

// The binary track file, shared by the player and the authoring tool so that
// both read and write it through the same code.
//
// Layout, little-endian, no header and no padding: an 8-byte key count of
// which only the low 32 bits count, as a signed number; then 9 bytes per
// key: row (signed 32-bit), value (IEEE single), kind (signed 8-bit).
// Bytes are assembled one by one, so the host's byte order never matters.

#include "sync.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr size_t SYNC_COUNT_BYTES = 8;
constexpr size_t SYNC_ROW_BYTES = 4;
constexpr size_t SYNC_VALUE_BYTES = 4;
constexpr size_t SYNC_KIND_BYTES = 1;
constexpr size_t SYNC_KEY_BYTES = SYNC_ROW_BYTES + SYNC_VALUE_BYTES + SYNC_KIND_BYTES;

// The player composes file names in a buffer of this size, terminator
// included; a longer name is never opened.
constexpr size_t SYNC_FILE_NAME_SIZE = 1024;

// fopen, fread and fclose in the shapes of sync_io_callbacks. Opening never
// waits for a FIFO's writer and refuses a folder (errno EISDIR) or a device
// (ENODEV); errno says why a file did not open.
extern const sync_io_callbacks sync_stdio_callbacks;

// base + "_" + name + ".track" into out; false, with out unusable, when the
// name and its terminator do not fit in size bytes.
bool sync_track_file_name(char* out, size_t size, const char* base, const char* name);

void sync_encode_count(int32_t count, unsigned char out[SYNC_COUNT_BYTES]);
void sync_encode_key(const sync_key* key, unsigned char out[SYNC_KEY_BYTES]);
int32_t sync_decode_count(const unsigned char in[SYNC_COUNT_BYTES]);
int32_t sync_decode_row(const unsigned char in[SYNC_ROW_BYTES]);
float sync_decode_value(const unsigned char in[SYNC_VALUE_BYTES]);
int32_t sync_decode_kind(unsigned char in);

// What was wrong with a track file and how reading it was repaired.
struct sync_read_report {
    int32_t announced_count;
    int32_t keys_read;       // whole keys read, dropped ones included
    bool count_incomplete;   // shorter than the count field: no keys
    bool negative_count;     // no keys
    bool truncated;          // fewer whole keys than announced: those read are kept
    bool out_of_memory;      // no keys
    int32_t unknown_kinds;   // keys held as steps
    int32_t first_unknown_key;
    int32_t first_unknown_kind;
    int32_t dropped;         // keys not above the row of the key kept before them
    int32_t first_dropped_key;
    int32_t first_dropped_row;
    int32_t first_dropped_after_row;
};

// Reads the keys of an opened track file through io. The result always makes
// a usable track: rows strictly ascending, kinds within sync_key_kind, keys
// null when there are none (else released with free). The array grows with
// the keys actually read, never with the announced count. Returns -1 when
// the count is negative or memory runs out, else 0.
int sync_read_keys(const sync_io_callbacks* io, void* handle, sync_key** keys, int32_t* key_count,
                   sync_read_report* report);

bool sync_report_is_clean(const sync_read_report* report);

// One line, without the file's name or a line break, describing every repair,
// e.g. "is truncated: 3 of 5 keys read".
void sync_describe_report(const sync_read_report* report, char* text, size_t size);

// Writes a whole track file; false when writing fails.
bool sync_write_keys(std::FILE* file, const sync_key* keys, int32_t key_count);
