#include "displayCheck.h"

#include "vroWindowPlatform.h"

#include <GLFW/glfw3.h>

namespace {

std::string complaint;

void keepComplaint(int, const char* description)
{
    complaint = description;
}

} // namespace

std::optional<std::string> missingDisplay()
{
    GLFWerrorfun previous = glfwSetErrorCallback(keepComplaint);
    vroWindowPlatform::BeforeInit();
    const bool available = glfwInit() == GLFW_TRUE;
    if (available)
        glfwTerminate();
    glfwSetErrorCallback(previous);
    if (available)
        return std::nullopt;
    return "no display to draw on (" + complaint + "); run it on one, e.g. under scripts/with-display";
}
