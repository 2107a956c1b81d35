#include "x11Window.h"

#include <cstring>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testing_support {
namespace {

Window searchByTitle(Display* display, Window window, const std::string& title)
{
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        const bool match = title == name;
        XFree(name);
        if (match)
            return window;
    }
    Window root, parent;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i)
            found = searchByTitle(display, children[i], title);
        if (children)
            XFree(children);
    }
    return found;
}

} // namespace

unsigned long findWindow(const std::string& title, std::chrono::milliseconds timeout)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Window found = 0;
    while (!found && std::chrono::steady_clock::now() < deadline) {
        found = searchByTitle(display, DefaultRootWindow(display), title);
        if (!found)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
    return found;
}

bool requestClose(unsigned long window)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XFlush(display);
    XCloseDisplay(display);
    return sent;
}

ScreenReader::ScreenReader() : display(XOpenDisplay(nullptr))
{
}

ScreenReader::~ScreenReader()
{
    if (display)
        XCloseDisplay(display);
}

Screenshot ScreenReader::grab(int left, int top, int width, int height)
{
    Screenshot shot;
    if (!display)
        return shot;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    if (width <= 0 || height <= 0) {
        width = attributes.width;
        height = attributes.height;
    }
    XImage* image = XGetImage(display, root, left, top, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image)
        return shot;
    shot.width = width;
    shot.height = height;
    shot.rgb.resize(static_cast<size_t>(shot.width) * shot.height * 3);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            std::uint8_t* out = &shot.rgb[(static_cast<size_t>(y) * shot.width + x) * 3];
            out[0] = static_cast<std::uint8_t>((pixel & image->red_mask) >> 16);
            out[1] = static_cast<std::uint8_t>((pixel & image->green_mask) >> 8);
            out[2] = static_cast<std::uint8_t>(pixel & image->blue_mask);
        }
    XDestroyImage(image);
    return shot;
}

} // namespace testing_support
