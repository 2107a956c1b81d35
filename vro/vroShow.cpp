#include "vroShow.h"

#include "vroAudio.h"
#include "vroEngine.h"
#include "vroProduction.h"

#include <cassert>

vroShow::vroShow(const vroDeclaration& declaration, const Factory& create, int width, int height, bool fullscreen,
                 bool visible)
    : declaration(declaration),
      engine(std::make_unique<vroEngine>(width, height, declaration.title, fullscreen, visible))
{
    assert(create && "a show needs a production");
    RegisterDeclared(*engine, declaration);
    production = create(*engine);
}

// The production, declared after the engine, goes first: its GL objects go
// while the engine's context still exists.
vroShow::~vroShow() = default;

void vroShow::RegisterDeclared(vroEngine& engine, const vroDeclaration& declaration)
{
    engine.audio->setSyncBase(declaration.trackBase());
    engine.audio->setTune(declaration.tune, declaration.beatsPerMinute);
}

void vroShow::Start()
{
    engine->Start();
    production->Setup();
    engine->audio->Forward(0.0);
}

void vroShow::RunFrame()
{
    production->RunFrame();
}
