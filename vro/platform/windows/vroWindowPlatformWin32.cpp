#include "vroWindowPlatform.h"

// A window on Windows has no connection to a display server that could be
// lost: the desktop belongs to the session the program runs in.
void vroWindowPlatform::WatchDisplay()
{
}
