// kelvandrix-capture: the production rendered off-line to a video with its
// music, or to numbered pictures. See captureUsage() for the options.
#include "captureChecks.h"
#include "captureOptions.h"
#include "captureRun.h"
#include "vroProcessPlatform.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // Before anything is opened: the display check and the music file come
    // before the engine.
    vroProcessPlatform::Settle();
    std::string error;
    const auto options = parseCaptureOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "capture: %s\n%s", error.c_str(), captureUsage());
        return 2;
    }
    if (options->help) {
        std::fputs(captureUsage(), stdout);
        return 0;
    }
    if (!checkBeforeLoading(*options))
        return 1;
    return runCapture(*options) ? 0 : 1;
}
