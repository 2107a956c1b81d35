#pragma once

#include <filesystem>

// This test program's own path: its tests start it as their child.
std::filesystem::path testProgram();
