#include "vroEngine.h"

#include "vroTimer.h"
#include "vroWindow.h"

vroEngine::vroEngine()
{
    window = std::make_unique<vroWindow>();
    createServices();
}

vroEngine::vroEngine(int width, int height, std::string title, bool fullscreen)
{
    window = std::make_unique<vroWindow>(width, height, std::move(title), fullscreen);
    createServices();
}

void vroEngine::createServices()
{
    timer = std::make_unique<vroTimer>();
}

vroEngine::~vroEngine()
{
    timer.reset();
    window.reset();
}

void vroEngine::Start()
{
    Init();
    timer->Start();
}

void vroEngine::Init()
{
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
