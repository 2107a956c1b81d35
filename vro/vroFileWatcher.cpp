#include "vroFileWatcher.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Written and closed, renamed in, made or removed: every way an editor ends
// a save. Plain modifications are left out, since they come mid-write.
constexpr uint32_t kSaveEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE;
// The folder itself renamed away; its removal ends the watch (IN_IGNORED),
// which comes without asking.
constexpr uint32_t kFolderEvents = IN_MOVE_SELF;

void insertFiles(const std::map<std::string, std::string>& files, std::set<std::string>& into)
{
    for (const auto& file : files)
        into.insert(file.second);
}

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
    const int watch = inotify_add_watch(descriptor, folder.c_str(), kSaveEvents | kFolderEvents);
    if (watch >= 0) {
        // The same folder gives the same descriptor back.
        folders[watch].path = folder;
        folders[watch].files[file.filename().string()] = path;
        return true;
    }
    if (errno == ENOENT) {
        watchOnceMade(folder, file.filename().string(), path);
        return true;
    }
    std::fprintf(stderr, "watch: cannot watch \"%s\": %s\n", folder.c_str(), std::strerror(errno));
    return false;
}

// A folder not made yet is looked for at each poll, as a lost one is.
void vroFileWatcher::watchOnceMade(const std::string& folder, const std::string& name, const std::string& path)
{
    auto known = std::find_if(lost.begin(), lost.end(), [&](const Folder& f) { return f.path == folder; });
    if (known == lost.end()) {
        std::fprintf(stderr, "watch: no folder \"%s\" yet; its files are watched once it is made\n", folder.c_str());
        known = lost.insert(lost.end(), Folder{folder, {}});
    }
    known->files[name] = path;
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
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were dropped: any watched file may have been saved.
                for (const auto& folder : folders)
                    insertFiles(folder.second.files, changed);
                continue;
            }
            const auto folder = folders.find(event->wd);
            if (folder == folders.end())
                continue;
            if (event->mask & (IN_IGNORED | IN_MOVE_SELF)) {
                lose(event->wd, changed);
                continue;
            }
            if (event->len == 0)
                continue;
            const auto file = folder->second.files.find(event->name);
            if (file != folder->second.files.end())
                changed.insert(file->second);
        }
    }
    findLostFolders(changed);
    return {changed.begin(), changed.end()};
}

void vroFileWatcher::lose(int watch, std::set<std::string>& changed)
{
    const auto folder = folders.find(watch);
    // Renamed away, the watch would follow the folder to its new name.
    inotify_rm_watch(descriptor, watch);
    std::fprintf(stderr, "watch: \"%s\" is gone; its files are watched again when it is back\n",
                 folder->second.path.c_str());
    insertFiles(folder->second.files, changed);
    lost.push_back(std::move(folder->second));
    folders.erase(folder);
}

void vroFileWatcher::findLostFolders(std::set<std::string>& changed)
{
    for (auto folder = lost.begin(); folder != lost.end();) {
        const int watch = inotify_add_watch(descriptor, folder->path.c_str(), kSaveEvents | kFolderEvents);
        if (watch < 0) {
            ++folder;
            continue;
        }
        insertFiles(folder->files, changed);
        folders[watch].path = folder->path;
        folders[watch].files.insert(folder->files.begin(), folder->files.end());
        folder = lost.erase(folder);
    }
}
