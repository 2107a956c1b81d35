#pragma once

#include <filesystem>

// The roles the test program plays as its tests' child (windowsTestMain.cpp).
inline constexpr const char* kEchoArguments = "--echo-arguments";
inline constexpr const char* kCountInput = "--count-input";     // then the exit status
inline constexpr const char* kNeverEnd = "--never-end";
inline constexpr const char* kSettleAndSay = "--settle-and-say"; // then the lines to say
inline constexpr const char* kWorkingFolder = "@working-folder";  // a line to say: the working folder

// This test program's own path.
std::filesystem::path testProgram();
