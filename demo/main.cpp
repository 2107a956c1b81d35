#include "kelvandrixAssets.h"
#include "kelvandrixScene.h"
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroFSQuad.h"
#include "vroFramebuffer.h"
#include "vroWindow.h"

int main(int, char**)
{
    vroEngine engine(1280, 720, "KELVANDRIX", true);
    registerAssets(engine);
    vroFSQuad sceneQuad;
    const glm::ivec2 size = engine.window->getDimensions();
    vroFramebuffer sceneTarget(size.x, size.y);
    const TextList bigTexts = makeBigTexts();
    const TextList greets = makeGreets();

    engine.Start();
    sceneTarget.Setup();
    engine.audio->Forward(0.0);

    SceneObjects scene{sceneQuad, sceneTarget, bigTexts, greets};
    while (engine.IsRunning()) {
        runFrame(engine, scene);
        engine.Update();
    }
    return 0;
}
