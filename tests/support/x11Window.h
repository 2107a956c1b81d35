#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

namespace testing_support {

// The X window whose title is `title`, waiting up to `timeout` for it to
// appear; 0 when none did.
unsigned long findWindow(const std::string& title, std::chrono::milliseconds timeout);

// Asks the window to close as a window manager does: a WM_DELETE_WINDOW
// client message.
bool requestClose(unsigned long window);

// What the X server shows on its whole screen, as 8-bit RGB rows from the top.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    bool empty() const { return rgb.empty(); }
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};
// One connection to the X server for many screenshots: opening one per
// picture while a program starts can leave it without a connection.
class ScreenReader {
public:
    ScreenReader();
    ~ScreenReader();
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    // The whole screen, or the rectangle of it given.
    Screenshot grab(int x = 0, int y = 0, int width = 0, int height = 0);

private:
    _XDisplay* display;
};


} // namespace testing_support
