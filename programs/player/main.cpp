// The player: the production full screen at its declared size, until
// Escape, a closed window or the end of its music.
#include "optionValues.h"
#include "vroEngine.h"
#include "vroProduction.h"
#include "vroShow.h"

#include <cstdio>
#include <cstring>

namespace {

// The player takes no options: --help only says so, and what it does.
// Other arguments are ignored, as they always were.
bool helpAsked(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    return false;
}

void printHelp(const vroDeclaration& declaration)
{
    const std::string name = declaration.name, size = sizeText({declaration.width, declaration.height});
    std::printf("usage: %s [--help]\n"
                "Plays %s full screen at %s with its data from the working folder\n"
                "(on Windows, the program's own folder), and ends with its music,\n"
                "status 0. Escape or closing the window ends it earlier, status 0 too.\n"
                "It takes no options (other arguments are ignored): the size and the\n"
                "data are the production's own.\n"
                "\n"
                "  --help, -h  this text\n"
                "\n"
                "A video of it: %s-capture --help. Live editing, where it is built:\n"
                "%s-dev --help.\n",
                name.c_str(), declaration.title.c_str(), size.c_str(), name.c_str(), name.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const vroDeclaration& declaration = vroProductionDeclaration();
    if (helpAsked(argc, argv)) {
        printHelp(declaration);
        return 0;
    }
    vroShow show(declaration, vroCreateProduction, declaration.width, declaration.height, true);
    show.Start();
    vroEngine& engine = show.getEngine();
    while (engine.IsRunning()) {
        show.RunFrame();
        engine.Update();
    }
    return 0;
}
