#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

// Tells which of a set of files changed, for reloading them while the
// program runs. The folders holding the files are watched rather than the
// files themselves, so a save that writes a new file and renames it over the
// old one is seen like a save in place, and so is a file deleted or made
// anew. Polling never blocks: once per frame costs one system call.
class vroFileWatcher {
public:
    vroFileWatcher();
    ~vroFileWatcher();

    vroFileWatcher(const vroFileWatcher&) = delete;
    vroFileWatcher& operator=(const vroFileWatcher&) = delete;

    // Watches one file, which need not exist yet, nor need its folder: a
    // folder made later is watched from then on, and all its files count as
    // written. False, with one line on standard error, when the folder
    // cannot be watched (not a folder, no permission, no watches left).
    bool watch(const std::string& path);
    // The watched paths, as given to watch, whose file was written, renamed
    // into place or removed since the last poll; each once, in path order.
    // A folder removed or renamed away counts as all its files removed, and
    // when a folder of that name is there again, as all its files written.
    // When the system dropped events, every file counts as written.
    std::vector<std::string> poll();

private:
    struct Folder {
        std::string path;
        std::map<std::string, std::string> files; // name in the folder -> path as given
    };

    void watchOnceMade(const std::string& folder, const std::string& name, const std::string& path);
    void lose(int watch, std::set<std::string>& changed);
    void findLostFolders(std::set<std::string>& changed);

    int descriptor = -1;
    std::map<int, Folder> folders; // by watch descriptor
    std::vector<Folder> lost;      // gone from their place or not made yet, looked for at each poll
};
