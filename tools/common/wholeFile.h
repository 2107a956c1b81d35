#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the bytes to path. A file appears under its name only once it is
// complete; on failure nothing is left behind and false is returned. A device
// or pipe (say /dev/stdout) is written directly, and fails when any byte does
// not go through. A symbolic link stays one: its target gets the bytes.
bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
