#include "vroEngine.h"

#include "vroFSQuad.h"
#include "vroProgressBar.h"
#include "vroRenderer.h"
#include "vroShaderManager.h"
#include "vroTimer.h"
#include "vroWindow.h"

vroEngine::vroEngine()
{
    shaderManager = std::make_unique<vroShaderManager>(this);
    window = std::make_unique<vroWindow>();
    createServices();
}

vroEngine::vroEngine(int width, int height, std::string title, bool fullscreen)
{
    shaderManager = std::make_unique<vroShaderManager>(this);
    window = std::make_unique<vroWindow>(width, height, std::move(title), fullscreen);
    createServices();
}

// Everything after the window: these may make GL calls.
void vroEngine::createServices()
{
    timer = std::make_unique<vroTimer>();
    renderer = std::make_unique<vroRenderer>(this);
    quad = std::make_unique<vroFSQuad>();
}

vroEngine::~vroEngine()
{
    // GL owners go while the window's context still exists; the window last.
    shaderManager.reset();
    timer.reset();
    quad.reset();
    renderer.reset();
    window.reset();
}

void vroEngine::Start()
{
    Init();
    timer->Start();
}

void vroEngine::Init()
{
    vroProgressBar bar(window.get());
    bar.AddSteps(shaderManager->HowManyItems());
    shaderManager->Load(bar);
}

float vroEngine::syncValue(const char*) const
{
    return 0.0f;
}

void vroEngine::Update()
{
    window->update();
    timer->update();
}

bool vroEngine::IsRunning()
{
    return window->isOpen();
}
