#include "vroEngine.h"
#include "vroFSQuad.h"
#include "vroRenderer.h"
#include "vroShaderManager.h"

int main(int, char**)
{
    vroEngine engine(1280, 720, "KELVANDRIX", true);
    engine.shaderManager->addShader("cubescape", "noTransform.vs", "rm_cubescape.fs");
    engine.Start();
    while (engine.IsRunning()) {
        engine.renderer->Render(*engine.quad, "cubescape");
        engine.Update();
    }
    return 0;
}
