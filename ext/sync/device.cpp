#include "syncPrivate.h"
#include "trackfile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

sync_player* sync_create_device(const char* base)
{
    sync_player* d = static_cast<sync_player*>(std::malloc(sizeof(sync_player)));
    if (!d)
        return nullptr;
    d->base_name = sync_copy_string(base);
    if (!d->base_name) {
        std::free(d);
        return nullptr;
    }
    d->tracks.items = nullptr;
    d->tracks.item_count = 0;
    d->io = sync_stdio_callbacks;
    return d;
}

void sync_destroy_device(sync_player* d)
{
    std::free(d->base_name);
    sync_data_deinit(&d->tracks);
    std::free(d);
}

void sync_set_io_cb(sync_player* d, const sync_io_callbacks* cb)
{
    SYNC_ASSERT(cb->open && cb->read && cb->close);
    d->io = *cb;
}

// The composed name in a static buffer, valid until the next call; null when
// it does not fit, since a cut name could open some other file.
static const char* sync_track_path(const char* base, const char* name)
{
    static char temp[SYNC_FILE_NAME_SIZE];
    return sync_track_file_name(temp, sizeof temp, base, name) ? temp : nullptr;
}

static void report_repairs(const char* path, const sync_read_report* report)
{
    if (sync_report_is_clean(report))
        return;
    char text[1024];
    sync_describe_report(report, text, sizeof text);
    std::fprintf(stderr, "sync: \"%s\" %s\n", path, text);
}

static int get_track_data(sync_player* d, sync_track* t)
{
    std::fputs("DEBUG: Getting track data\n", stdout);
    const char* path = sync_track_path(d->base_name, t->name);
    if (!path) {
        std::fprintf(stderr, "sync: \"%s_%s.track\" has a name longer than %d characters: not opened, no keys\n",
                     d->base_name, t->name, static_cast<int>(SYNC_FILE_NAME_SIZE - 1));
        return -1;
    }
    errno = 0;
    void* handle = d->io.open(path, "rb");
    if (!handle) {
        // Only a file that is not there is left to read as zero in silence.
        if (errno != 0 && errno != ENOENT)
            std::fprintf(stderr, "sync: cannot read \"%s\": %s, no keys\n", path, std::strerror(errno));
        return -1;
    }
    sync_read_report report;
    const int result = sync_read_keys(&d->io, handle, &t->keys, &t->key_count, &report);
    d->io.close(handle);
    report_repairs(path, &report);
    return result;
}

const sync_track* sync_get_track(sync_player* d, const char* name)
{
    int i = sync_find_track(&d->tracks, name);
    if (i >= 0)
        return d->tracks.items[i];
    i = sync_create_track(&d->tracks, name);
    if (i < 0) {
        std::fprintf(stderr, "sync: out of memory creating track \"%s\"\n", name);
        return nullptr;
    }
    sync_track* t = d->tracks.items[i];
    get_track_data(d, t);
    return t;
}

static bool keys_are_valid(const sync_key* keys, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        if (keys[i].kind < SYNC_KEY_STEP || keys[i].kind > SYNC_KEY_RAMP)
            return false;
        if (i > 0 && keys[i - 1].row >= keys[i].row)
            return false;
    }
    return true;
}

int sync_set_track_keys(sync_player* d, const char* name, const sync_key* keys, int32_t count)
{
    const int i = sync_find_track(&d->tracks, name);
    if (i < 0 || count < 0 || (count > 0 && !keys) || !keys_are_valid(keys, count))
        return -1;
    sync_key* copy = nullptr;
    if (count > 0) {
        const size_t bytes = static_cast<size_t>(count) * sizeof(sync_key);
        copy = static_cast<sync_key*>(std::malloc(bytes));
        if (!copy)
            return -1;
        std::memcpy(copy, keys, bytes);
    }
    sync_track* t = d->tracks.items[i];
    std::free(t->keys);
    t->keys = copy;
    t->key_count = count;
    return 0;
}
