#pragma once

#include <optional>
#include <string>
#include <vector>

class vroAudio;

// The bytes of a text file; nothing for a file that cannot be read, or a
// folder, which would read as an empty text.
std::optional<std::string> readTextFile(const std::string& path);

// The track text files of the source folder, compiled with synctrack's own
// parser into the keys of every registered track at once.
class TrackReload {
public:
    TrackReload(vroAudio& audio, std::vector<std::string> files);

    const std::vector<std::string>& getFiles() const { return files; }
    // Reads and compiles every file; when all are free of errors, replaces
    // all tracks. The problems as "file:line: message" lines, empty when the
    // tracks were replaced.
    std::string Apply();
    // The tracks of the texts that nothing reads (a misspelt name), one
    // "file:line: message" line each, as of the last Apply that replaced
    // the tracks.
    const std::string& getUnread() const { return unread; }

private:
    vroAudio& audio;
    std::vector<std::string> files;
    std::string unread;
};
