#include "vroEngine.h"

int main(int, char**)
{
    vroEngine engine(1280, 720, "KELVANDRIX", true);
    engine.Start();
    while (engine.IsRunning())
        engine.Update();
    return 0;
}
