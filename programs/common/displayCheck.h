#pragma once

#include <optional>
#include <string>

// Why no window can be opened here, as one sentence for the program to tag
// and print (GLFW's complaint and the way to a display), or nothing when a
// display can be had. Asked quietly: the window itself would say it in two
// lines of its own internals.
std::optional<std::string> missingDisplay();
