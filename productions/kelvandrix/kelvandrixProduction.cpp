#include "kelvandrixProduction.h"

#include "kelvandrixScene.h"
#include "vroEngine.h"
#include "vroWindow.h"

namespace {

// Registration comes before the production's own GL objects are made.
vroEngine& registered(vroEngine& engine)
{
    registerAssets(engine);
    return engine;
}

} // namespace

KelvandrixProduction::KelvandrixProduction(vroEngine& engine)
    : engine(registered(engine)),
      sceneTarget(engine.window->getDimensions().x, engine.window->getDimensions().y),
      bigTexts(makeBigTexts()),
      greets(makeGreets())
{
}

void KelvandrixProduction::Setup()
{
    sceneTarget.Setup();
}

void KelvandrixProduction::RunFrame()
{
    SceneObjects scene{sceneQuad, sceneTarget, bigTexts, greets};
    runFrame(engine, scene);
}

std::unique_ptr<vroProduction> vroCreateProduction(vroEngine& engine)
{
    return std::make_unique<KelvandrixProduction>(engine);
}
