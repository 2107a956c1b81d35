#pragma once

#include <filesystem>
#include <string>

// A name beside `path`, in the same folder (so that a rename into place
// cannot cross file systems), hidden and marked with this process's id:
// ".show.capture-1234.mp4" for "show.mp4" and tag "capture".
// The extension is kept so that tools choose the same format by it.
std::filesystem::path temporaryBeside(const std::filesystem::path& path, const std::string& tag);

// Whether files can be made in `folder` (the working folder when empty).
bool canWriteFolder(const std::filesystem::path& folder);
