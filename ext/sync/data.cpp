#include "syncPrivate.h"

#include <climits>
#include <cstdint>
#include <cstring>

char* sync_copy_string(const char* text)
{
    const size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
}

int sync_find_track(const sync_track_table* d, const char* name)
{
    const int count = static_cast<int>(d->item_count);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(name, d->items[i]->name) == 0)
            return i;
    }
    return -1;
}

static sync_track* new_track(const char* name)
{
    sync_track* t = static_cast<sync_track*>(std::malloc(sizeof(sync_track)));
    if (!t)
        return nullptr;
    t->name = sync_copy_string(name);
    if (!t->name) {
        std::free(t);
        return nullptr;
    }
    t->keys = nullptr;
    t->key_count = 0;
    return t;
}

static void free_track(sync_track* t)
{
    std::free(t->name);
    std::free(t->keys);
    std::free(t);
}

// Room for one more pointer; the table itself is unchanged when that fails.
static bool grow_table(sync_track_table* d)
{
    // Loops over the table count in int.
    if (d->item_count >= static_cast<uint64_t>(INT_MAX))
        return false;
    const uint64_t count = d->item_count + 1;
    if (count > SIZE_MAX / sizeof(sync_track*))
        return false;
    void* items = std::realloc(d->items, static_cast<size_t>(count) * sizeof(sync_track*));
    if (!items)
        return false;
    d->items = static_cast<sync_track**>(items);
    return true;
}

int sync_create_track(sync_track_table* d, const char* name)
{
    SYNC_ASSERT(sync_find_track(d, name) < 0);
    sync_track* t = new_track(name);
    if (!t)
        return -1;
    if (!grow_table(d)) {
        free_track(t);
        return -1;
    }
    d->items[d->item_count] = t;
    d->item_count += 1;
    return static_cast<int>(d->item_count - 1);
}

void sync_data_deinit(sync_track_table* d)
{
    const int count = static_cast<int>(d->item_count);
    for (int i = 0; i < count; ++i)
        free_track(d->items[i]);
    std::free(d->items);
    d->items = nullptr;
    d->item_count = 0;
}
