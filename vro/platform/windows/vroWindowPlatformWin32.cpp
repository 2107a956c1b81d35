#include "vroWindowPlatform.h"

#include <windows.h>

// A window on Windows has no connection to a display server that could be
// lost: the desktop belongs to the session the program runs in.
//
// GLFW loads the game controller library xinput1_4.dll as it starts and
// frees it as it ends. Wine's keeps a thread of its own running in it, which
// a free while the thread is at work leaves running in unloaded code (a page
// fault as the program ends, about one run in thirty here): one more
// reference, never released, keeps it loaded until the process ends. On
// Windows it only keeps a system library loaded.
void vroWindowPlatform::BeforeInit()
{
    LoadLibraryW(L"xinput1_4.dll");
}
