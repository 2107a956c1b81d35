// NAME-dev: a production with live reload, a transport and a read-out, for
// editing it while it plays.
#include "devOptions.h"
#include "devPlayer.h"
#include "displayCheck.h"
#include "vroProcessPlatform.h"
#include "vroProduction.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Before anything is opened: the command file comes before the engine.
    vroProcessPlatform::Settle();
    const vroDeclaration& declaration = vroProductionDeclaration();
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const std::optional<DevOptions> options = DevOptions::parse(args, declaration, error);
    if (!options) {
        std::fprintf(stderr, "dev: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(DevOptions::helpText(declaration).c_str(), stdout);
        return 0;
    }
    if (const std::optional<std::string> problem = missingDisplay()) {
        std::fprintf(stderr, "dev: %s\n", problem->c_str());
        return 1;
    }
    DevPlayer player(*options, declaration, vroCreateProduction);
    player.Run();
    return 0;
}
