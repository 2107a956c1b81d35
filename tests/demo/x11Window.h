#pragma once

#include <chrono>
#include <string>

namespace testing_support {

// The X window whose title is `title`, waiting up to `timeout` for it to
// appear; 0 when none did.
unsigned long findWindow(const std::string& title, std::chrono::milliseconds timeout);

// Asks the window to close as a window manager does: a WM_DELETE_WINDOW
// client message.
bool requestClose(unsigned long window);

} // namespace testing_support
