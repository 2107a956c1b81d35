#include "trackfile.h"

#include "syncPrivate.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <limits>

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559, "track values are IEEE singles");

// The standard functions take FILE*; calling them through void* shapes
// needs these thin adapters to stay defined behaviour.

static size_t stdio_read(void* destination, size_t element_size, size_t element_count, void* handle)
{
    return std::fread(destination, element_size, element_count, static_cast<std::FILE*>(handle));
}

static int stdio_close(void* handle)
{
    return std::fclose(static_cast<std::FILE*>(handle));
}

const sync_io_callbacks sync_stdio_callbacks = {sync_open_file, stdio_read, stdio_close};

static bool append_text(char* out, size_t size, size_t* used, const char* text)
{
    const size_t length = std::strlen(text);
    if (length >= size - *used)
        return false;
    std::memcpy(out + *used, text, length + 1);
    *used += length;
    return true;
}

bool sync_track_file_name(char* out, size_t size, const char* base, const char* name)
{
    if (size == 0)
        return false;
    size_t used = 0;
    return append_text(out, size, &used, base) && append_text(out, size, &used, "_")
        && append_text(out, size, &used, name) && append_text(out, size, &used, ".track");
}

static void store_u32(uint32_t bits, unsigned char* out)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

static uint32_t load_u32(const unsigned char* in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16
        | static_cast<uint32_t>(in[3]) << 24;
}

// Two's complement without relying on how the compiler narrows.
static int32_t to_int32(uint32_t bits)
{
    if (bits <= static_cast<uint32_t>(INT32_MAX))
        return static_cast<int32_t>(bits);
    return -static_cast<int32_t>(~bits) - 1;
}

void sync_encode_count(int32_t count, unsigned char out[SYNC_COUNT_BYTES])
{
    store_u32(static_cast<uint32_t>(count), out);
    store_u32(0, out + 4);
}

void sync_encode_key(const sync_key* key, unsigned char out[SYNC_KEY_BYTES])
{
    uint32_t valueBits;
    std::memcpy(&valueBits, &key->value, sizeof valueBits);
    store_u32(static_cast<uint32_t>(key->row), out);
    store_u32(valueBits, out + SYNC_ROW_BYTES);
    out[SYNC_ROW_BYTES + SYNC_VALUE_BYTES] = static_cast<unsigned char>(key->kind);
}

int32_t sync_decode_count(const unsigned char in[SYNC_COUNT_BYTES])
{
    return to_int32(load_u32(in));
}

int32_t sync_decode_row(const unsigned char in[SYNC_ROW_BYTES])
{
    return to_int32(load_u32(in));
}

float sync_decode_value(const unsigned char in[SYNC_VALUE_BYTES])
{
    const uint32_t bits = load_u32(in);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int32_t sync_decode_kind(unsigned char in)
{
    return in <= 127 ? in : static_cast<int32_t>(in) - 256;
}

// Field by field, each one whole or not at all.
static bool read_key(const sync_io_callbacks* io, void* handle, sync_key* key, int32_t* kind)
{
    unsigned char row[SYNC_ROW_BYTES];
    unsigned char value[SYNC_VALUE_BYTES];
    unsigned char kindByte;
    if (io->read(row, SYNC_ROW_BYTES, 1, handle) != 1 || io->read(value, SYNC_VALUE_BYTES, 1, handle) != 1
        || io->read(&kindByte, SYNC_KIND_BYTES, 1, handle) != 1)
        return false;
    key->row = sync_decode_row(row);
    key->value = sync_decode_value(value);
    *kind = sync_decode_kind(kindByte);
    return true;
}

struct key_array {
    sync_key* keys;
    int32_t count;
    int32_t capacity;
};

// Doubles with the keys that arrive, never beyond the announced count.
static bool append_key(key_array* a, const sync_key* key, int32_t announced)
{
    if (a->count == a->capacity) {
        const int64_t wanted = a->capacity < 16 ? 16 : 2 * static_cast<int64_t>(a->capacity);
        const int32_t capacity = static_cast<int32_t>(wanted < announced ? wanted : announced);
        if (static_cast<uint64_t>(capacity) > SIZE_MAX / sizeof(sync_key))
            return false;
        void* keys = std::realloc(a->keys, static_cast<size_t>(capacity) * sizeof(sync_key));
        if (!keys)
            return false;
        a->keys = static_cast<sync_key*>(keys);
        a->capacity = capacity;
    }
    a->keys[a->count++] = *key;
    return true;
}

static void note_unknown_kind(sync_read_report* report, int32_t index, int32_t kind)
{
    if (report->unknown_kinds++ == 0) {
        report->first_unknown_key = index;
        report->first_unknown_kind = kind;
    }
}

static void note_dropped(sync_read_report* report, int32_t index, int32_t row, int32_t previousRow)
{
    if (report->dropped++ == 0) {
        report->first_dropped_key = index;
        report->first_dropped_row = row;
        report->first_dropped_after_row = previousRow;
    }
}

int sync_read_keys(const sync_io_callbacks* io, void* handle, sync_key** keys, int32_t* key_count,
                   sync_read_report* report)
{
    *report = sync_read_report{};
    *keys = nullptr;
    *key_count = 0;

    unsigned char countField[SYNC_COUNT_BYTES];
    if (io->read(countField, SYNC_COUNT_BYTES, 1, handle) != 1) {
        report->count_incomplete = true;
        return 0;
    }
    const int32_t announced = sync_decode_count(countField);
    report->announced_count = announced;
    if (announced < 0) {
        report->negative_count = true;
        return -1;
    }

    key_array kept = {nullptr, 0, 0};
    for (int32_t index = 0; index < announced; ++index) {
        sync_key key;
        int32_t kind;
        if (!read_key(io, handle, &key, &kind)) {
            report->truncated = true;
            break;
        }
        report->keys_read = index + 1;
        key.kind = static_cast<sync_key_kind>(kind);
        if (kind < SYNC_KEY_STEP || kind > SYNC_KEY_RAMP) {
            note_unknown_kind(report, index, kind);
            key.kind = SYNC_KEY_STEP;
        }
        if (kept.count > 0 && key.row <= kept.keys[kept.count - 1].row) {
            note_dropped(report, index, key.row, kept.keys[kept.count - 1].row);
            continue;
        }
        if (!append_key(&kept, &key, announced)) {
            std::free(kept.keys);
            report->out_of_memory = true;
            return -1;
        }
    }
    *keys = kept.keys;
    *key_count = kept.count;
    return 0;
}

bool sync_report_is_clean(const sync_read_report* report)
{
    return !report->count_incomplete && !report->negative_count && !report->truncated && !report->out_of_memory
        && report->unknown_kinds == 0 && report->dropped == 0;
}

struct text_buffer {
    char* text;
    size_t size;
    size_t used;
};

// Parts joined by "; ", cut short rather than overrun when the buffer is small.
static void add_part(text_buffer* out, const char* format, ...)
{
    if (out->used + 1 >= out->size)
        return;
    if (out->used > 0)
        append_text(out->text, out->size, &out->used, "; ");
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(out->text + out->used, out->size - out->used, format, arguments);
    va_end(arguments);
    if (written > 0)
        out->used += static_cast<size_t>(written) < out->size - out->used ? static_cast<size_t>(written)
                                                                           : out->size - out->used - 1;
}

static const char* plural(int32_t count, const char* one, const char* many)
{
    return count == 1 ? one : many;
}

void sync_describe_report(const sync_read_report* report, char* text, size_t size)
{
    if (size == 0)
        return;
    text_buffer out = {text, size, 0};
    text[0] = '\0';
    if (report->count_incomplete)
        add_part(&out, "is truncated: the 8-byte key count is incomplete, no keys");
    if (report->negative_count)
        add_part(&out, "has a negative key count (%d): no keys", static_cast<int>(report->announced_count));
    if (report->out_of_memory)
        add_part(&out, "has more keys than memory holds (%d announced): no keys",
                 static_cast<int>(report->announced_count));
    if (report->truncated)
        add_part(&out, "is truncated: %d of %d keys read", static_cast<int>(report->keys_read),
                 static_cast<int>(report->announced_count));
    if (report->unknown_kinds > 0)
        add_part(&out, "has %d %s of unknown kind held as %s (first: key %d, kind %d)",
                 static_cast<int>(report->unknown_kinds), plural(report->unknown_kinds, "key", "keys"),
                 plural(report->unknown_kinds, "a step", "steps"), static_cast<int>(report->first_unknown_key),
                 static_cast<int>(report->first_unknown_kind));
    if (report->dropped > 0)
        add_part(&out, "has %d %s out of row order dropped (first: key %d, row %d after row %d)",
                 static_cast<int>(report->dropped), plural(report->dropped, "key", "keys"),
                 static_cast<int>(report->first_dropped_key), static_cast<int>(report->first_dropped_row),
                 static_cast<int>(report->first_dropped_after_row));
}

bool sync_write_keys(std::FILE* file, const sync_key* keys, int32_t key_count)
{
    unsigned char count[SYNC_COUNT_BYTES];
    sync_encode_count(key_count, count);
    if (std::fwrite(count, sizeof count, 1, file) != 1)
        return false;
    for (int32_t i = 0; i < key_count; ++i) {
        unsigned char key[SYNC_KEY_BYTES];
        sync_encode_key(&keys[i], key);
        if (std::fwrite(key, sizeof key, 1, file) != 1)
            return false;
    }
    return true;
}
