#include "kelvandrixProduction.h"

#include "kelvandrixScene.h"
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroWindow.h"

namespace {

// Registration comes before the production's own GL objects are made.
std::unique_ptr<vroEngine> registeredEngine(int width, int height, bool fullscreen, bool visible)
{
    auto engine = std::make_unique<vroEngine>(width, height, "KELVANDRIX", fullscreen, visible);
    registerAssets(*engine);
    return engine;
}

} // namespace

Production::Production(int width, int height, bool fullscreen, bool visible)
    : engine(registeredEngine(width, height, fullscreen, visible)),
      sceneTarget(engine->window->getDimensions().x, engine->window->getDimensions().y),
      bigTexts(makeBigTexts()),
      greets(makeGreets())
{
}

// The GL objects go while the engine's context still exists.
Production::~Production() = default;

void Production::Start()
{
    engine->Start();
    sceneTarget.Setup();
    engine->audio->Forward(0.0);
}

void Production::RunFrame()
{
    SceneObjects scene{sceneQuad, sceneTarget, bigTexts, greets};
    runFrame(*engine, scene);
}
