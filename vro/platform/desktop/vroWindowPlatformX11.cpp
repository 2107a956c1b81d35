#include "vroWindowPlatform.h"

#include <cstdio>

#include <X11/Xlib.h>

namespace {

// Xlib ends the program with status 1 once this returns; the line is the
// window's instead of Xlib's two or three.
int reportLostDisplay(Display* display)
{
    std::fprintf(stderr, "window: lost the connection to the display \"%s\"\n", DisplayString(display));
    return 0;
}

} // namespace

void vroWindowPlatform::BeforeInit()
{
    XSetIOErrorHandler(reportLostDisplay);
}
