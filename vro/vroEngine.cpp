#include "vroEngine.h"

#include "vroAudio.h"
#include "vroFSQuad.h"
#include "vroFontManager.h"
#include "vroProcessPlatform.h"
#include "vroProgressBar.h"
#include "vroRenderer.h"
#include "vroShaderManager.h"
#include "vroTextOverlay.h"
#include "vroTextureManager.h"
#include "vroTimer.h"
#include "vroWindow.h"

#include <chrono>

#include "vroGL.h"

vroEngine::vroEngine()
{
    vroProcessPlatform::Settle();
    shaderManager = std::make_unique<vroShaderManager>(this);
    window = std::make_unique<vroWindow>();
    createServices();
}

vroEngine::vroEngine(int width, int height, std::string title, bool fullscreen, bool visible)
{
    vroProcessPlatform::Settle();
    shaderManager = std::make_unique<vroShaderManager>(this);
    window = std::make_unique<vroWindow>(width, height, std::move(title), fullscreen, visible);
    createServices();
}

// Everything after the window: these may make GL calls.
void vroEngine::createServices()
{
    timer = std::make_unique<vroTimer>();
    fontManager = std::make_unique<vroFontManager>();
    audio = std::make_unique<vroAudio>();
    textureManager = std::make_unique<vroTextureManager>();
    textOverlay = std::make_unique<vroTextOverlay>(this, VRO_CHANNEL_TEXT);
    debugTextOverlay = std::make_unique<vroTextOverlay>(this, VRO_CHANNEL_TEXT_DEBUG);
    renderer = std::make_unique<vroRenderer>(this);
    quad = std::make_unique<vroFSQuad>();
}

vroEngine::~vroEngine()
{
    // GL owners go while the window's context still exists; the window last.
    shaderManager.reset();
    timer.reset();
    fontManager.reset();
    audio.reset();
    textureManager.reset();
    textOverlay.reset();
    debugTextOverlay.reset();
    quad.reset();
    renderer.reset();
    window.reset();
}

void vroEngine::Start()
{
    fontManager->addFont("vro_default_font", "default.ttf");
    Init();
    audio->Play();
    timer->Start();
}

void vroEngine::Init()
{
    for (const char* track : {"shader_A", "shader_B", "shader_C", "shader_D"})
        audio->addSyncTrack(track);
    shaderManager->addShader("debugtext", "noTransform_flipY.vs", "debugtext.fs");

    vroProgressBar bar(window.get());
    bar.AddSteps(audio->HowManyItems());
    bar.AddSteps(fontManager->HowManyItems());
    bar.AddSteps(shaderManager->HowManyItems());
    bar.AddSteps(textureManager->HowManyItems());
    bar.AddSteps(1); // the text overlay's canvas

    loadingSteps = {};
    timed("text overlay", [&] { textOverlay->Load(bar); });
    timed("audio", [&] { audio->Load(bar); });
    timed("fonts", [&] { fontManager->Load(bar); });
    timed("shaders", [&] { shaderManager->Load(bar); });
    timed("textures", [&] { textureManager->Load(bar); });
    resetBindings();
    loadingSteps.announced = bar.getTotalSteps();
    loadingSteps.advanced = bar.getDoneSteps();
}

template <typename Load>
void vroEngine::timed(const char* service, Load load)
{
    const auto start = std::chrono::steady_clock::now();
    load();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    loadingSteps.seconds.emplace_back(service, took.count());
}

// Loading leaves buffers, vertex arrays, targets and textures bound; the
// frame loop starts from a clean slate.
void vroEngine::resetBindings()
{
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void vroEngine::Update()
{
    window->update();
    timer->update(audio.get());
}

bool vroEngine::IsRunning()
{
    return window->isOpen() && audio->IsOK();
}
