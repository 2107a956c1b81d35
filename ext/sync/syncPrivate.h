#pragma once

// Shared by the player's own sources only.

#include "sync.h"

#include <cstdio>
#include <cstdlib>

// Stays active in release builds: the guarded invariants are cheap to check
// and a broken one must stop the program with the place that broke it.
#define SYNC_ASSERT(expression) \
    ((expression) ? (void)0 : sync_assert_failed(#expression, __func__, __FILE__, __LINE__))

[[noreturn]] inline void sync_assert_failed(const char* expression, const char* function, const char* source, int line)
{
    std::fprintf(stderr, "sync: assertion \"%s\" failed in %s (%s:%d)\n", expression, function, source, line);
    std::abort();
}

// Index of the track with that name, or -1.
int sync_find_track(const sync_track_table* d, const char* name);

// A heap copy of text, released with free; null when memory runs out.
char* sync_copy_string(const char* text);

// A track file opened for sync_stdio_callbacks, as a FILE*: the platform's
// own way (fileOpen.cpp, fileOpenWindows.cpp), with the guarantees
// trackfile.h states.
void* sync_open_file(const char* path, const char* mode);
