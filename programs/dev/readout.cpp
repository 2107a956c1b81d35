#include "readout.h"

#include "vroFSQuad.h"

#include "vroChannel.h"
#include "vroEngine.h"
#include "vroProgressBar.h"
#include "vroShaderManager.h"
#include "vroShaderProgram.h"
#include "vroTextOverlay.h"
#include "vroTexture.h"
#include "vroWindow.h"

#include <sstream>

namespace {

const char* const kFont = "vro_default_font";

} // namespace

Readout::Readout(vroEngine& owner) : engine(owner)
{
    // The canvas step of a bar that is never shown: loading has ended.
    vroProgressBar bar(engine.window.get());
    bar.AddSteps(1);
    engine.debugTextOverlay->Load(bar);
}

void Readout::setText(std::string text)
{
    wantedText = std::move(text);
}

void Readout::Draw(vroFSQuad& quad)
{
    const auto now = std::chrono::steady_clock::now();
    if (wantedText != shownText && now - lastLayout >= kLayoutInterval) {
        lastLayout = now;
        layOut();
    }
    vroTexture* canvas = engine.debugTextOverlay->getTexture();
    if (!visible || shownText.empty() || !canvas)
        return;
    canvas->BindToUnit(VRO_CHANNEL_TEXT_DEBUG);
    if (!engine.shaderManager->getShader("debugtext")->Use(&engine))
        return;
    // The production's last pass left its depth at the quad's own: over it,
    // the same quad would fail the depth test. Every pass of the production
    // turns the test on again for itself.
    glDisable(GL_DEPTH_TEST);
    quad.Render();
}

void Readout::layOut()
{
    shownText = wantedText;
    ++layouts;
    vroTextOverlay& overlay = *engine.debugTextOverlay;
    overlay.Clear();
    const float lineHeight = 2.0f * kTextSize / 100.0f * 1.25f;
    float y = 1.0f - lineHeight;
    std::istringstream lines(shownText);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty())
            overlay.Write(line, kTextSize, {-0.98f, y}, kFont);
        y -= lineHeight;
    }
}
