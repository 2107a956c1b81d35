// The player: the production full screen at its declared size, until
// Escape, a closed window or the end of its music.
#include "vroEngine.h"
#include "vroProduction.h"
#include "vroShow.h"

int main(int, char**)
{
    const vroDeclaration& declaration = vroProductionDeclaration();
    vroShow show(declaration, vroCreateProduction, declaration.width, declaration.height, true);
    show.Start();
    vroEngine& engine = show.getEngine();
    while (engine.IsRunning()) {
        show.RunFrame();
        engine.Update();
    }
    return 0;
}
