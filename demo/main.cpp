#include "kelvandrixProduction.h"
#include "vroEngine.h"

int main(int, char**)
{
    Production production(1280, 720, true);
    production.Start();
    vroEngine& engine = production.getEngine();
    while (engine.IsRunning()) {
        production.RunFrame();
        engine.Update();
    }
    return 0;
}
