#include "vroFileWatcher.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Written and closed, renamed in, made or removed: every way an editor ends
// a save. Plain modifications are left out, since they come mid-write.
constexpr uint32_t kSaveEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE;

} // namespace

vroFileWatcher::vroFileWatcher() : descriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (descriptor < 0)
        std::fprintf(stderr, "watch: cannot watch files: %s\n", std::strerror(errno));
}

vroFileWatcher::~vroFileWatcher()
{
    if (descriptor >= 0)
        close(descriptor);
}

bool vroFileWatcher::watch(const std::string& path)
{
    if (descriptor < 0)
        return false;
    const std::filesystem::path file = std::filesystem::absolute(path).lexically_normal();
    const std::string folder = file.parent_path().string();
    const int watch = inotify_add_watch(descriptor, folder.c_str(), kSaveEvents);
    if (watch < 0) {
        std::fprintf(stderr, "watch: cannot watch \"%s\": %s\n", folder.c_str(), std::strerror(errno));
        return false;
    }
    // The same folder gives the same descriptor back.
    folders[watch].files[file.filename().string()] = path;
    return true;
}

std::vector<std::string> vroFileWatcher::poll()
{
    std::set<std::string> changed;
    alignas(inotify_event) char buffer[4096];
    while (descriptor >= 0) {
        const ssize_t length = read(descriptor, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const auto folder = folders.find(event->wd);
            if (folder == folders.end() || event->len == 0)
                continue;
            const auto file = folder->second.files.find(event->name);
            if (file != folder->second.files.end())
                changed.insert(file->second);
        }
    }
    return {changed.begin(), changed.end()};
}
