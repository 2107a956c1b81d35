#include "vroWindowPlatform.h"

#include <GLFW/glfw3.h>
#include <emscripten.h>

namespace {

// Gives the browser back its thread until it next paints: what was drawn is
// shown, events are delivered, and the caller goes on where it stopped
// (the page is built with asyncify for this).
EM_ASYNC_JS(void, waitForNextAnimationFrame, (), {
    await new Promise(function(resume) { requestAnimationFrame(function() { resume(); }); });
});

} // namespace

// A page has no display connection to lose.
void vroWindowPlatform::BeforeInit()
{
}

// emscripten's GLFW makes a WebGL context of the version the page is linked
// for (2). An opaque canvas, as a window is: the page never shows through
// where a pass writes an alpha below 1.
void vroWindowPlatform::SetContextHints()
{
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
}

const char* vroWindowPlatform::ContextName()
{
    return "a WebGL 2 context";
}

// Without WebGL 2 no context is made at all.
const char* vroWindowPlatform::ContextShortfall()
{
    return nullptr;
}

bool vroWindowPlatform::EscapeCloses()
{
    return false;
}

void vroWindowPlatform::Present(GLFWwindow*)
{
    waitForNextAnimationFrame();
}
