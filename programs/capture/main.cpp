// NAME-capture: a production rendered off-line to a video with its music,
// or to numbered pictures. See captureUsage() for the options.
#include "captureChecks.h"
#include "captureOptions.h"
#include "captureRun.h"
#include "vroProcessPlatform.h"
#include "vroProduction.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // Before anything is opened: the display check and the music file come
    // before the engine.
    vroProcessPlatform::Settle();
    const vroDeclaration& declaration = vroProductionDeclaration();
    std::string error;
    auto options = parseCaptureOptions(argc, argv, declaration, error);
    if (!options) {
        std::fprintf(stderr, "capture: %s\n%s", error.c_str(), captureUsage(declaration).c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(captureUsage(declaration).c_str(), stdout);
        return 0;
    }
    // Paths typed in a console are relative to where it was, even where the
    // program has moved to its own folder.
    options->out = vroProcessPlatform::ResolveUserPath(options->out);
    if (!options->statsCsv.empty())
        options->statsCsv = vroProcessPlatform::ResolveUserPath(options->statsCsv);
    const std::optional<CaptureOptions> checked = checkBeforeLoading(*options);
    if (!checked)
        return 1;
    return runCapture(*checked, declaration, vroCreateProduction) ? 0 : 1;
}
