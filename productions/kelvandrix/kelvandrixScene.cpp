#include "kelvandrixScene.h"

#include "vroAudio.h"
#include "vroChannel.h"
#include "vroColor.h"
#include "vroDeclaration.h"
#include "vroEngine.h"
#include "vroFSQuad.h"
#include "vroFramebuffer.h"
#include "vroRenderer.h"
#include "vroTextOverlay.h"
#include "vroTexture.h"
#include "vroTextureManager.h"
#include "vroWindow.h"

namespace {

constexpr int kTextSize = 36;
const char* const kTextFont = "Steelfish";

void drawText(vroEngine& engine, SceneObjects& scene, const TextList& list, const char* indexTrack)
{
    const std::optional<int> index = truncateTrackValue(engine.audio->getSyncValue(indexTrack));
    // An index outside its list skips the text: the target keeps its background.
    if (!index || *index < 0 || static_cast<size_t>(*index) >= list.texts.size())
        return;
    vroTextOverlay& overlay = *engine.textOverlay;
    overlay.Clear();
    overlay.Write(list.texts[*index], kTextSize, list.positions[*index], kTextFont);
    if (vroTexture* canvas = overlay.getTexture())
        canvas->BindToUnit(VRO_CHANNEL_A);
    engine.renderer->Render(scene.sceneQuad, "text");
}

void drawScene(vroEngine& engine, SceneObjects& scene, std::optional<int> part)
{
    if (!part)
        return;
    switch (*part) {
    case 0:
        drawText(engine, scene, scene.bigTexts, "bigtext_index");
        break;
    case 1:
        engine.renderer->Render(scene.sceneQuad, "cubescape");
        break;
    case 2:
        drawText(engine, scene, scene.greets, "greets_index");
        break;
    case 3:
        engine.renderer->Render(scene.sceneQuad, "pyramid_rm");
        break;
    case 9:
        engine.textureManager->getTexture("ende")->BindToUnit(VRO_CHANNEL_A);
        engine.renderer->Render(scene.sceneQuad, "FSQuad_flip");
        break;
    default:
        break;
    }
}

} // namespace

void runFrame(vroEngine& engine, SceneObjects& scene)
{
    vroAudio& audio = *engine.audio;
    const std::optional<int> part = truncateTrackValue(audio.getSyncValue("part"));
    const float hue = audio.getSyncValue("bg_h");
    const float saturation = audio.getSyncValue("bg_s");
    const float value = audio.getSyncValue("bg_v");
    const glm::vec3 background = hsv2rgb(hue, saturation, value);

    engine.window->clear(background);
    scene.sceneTarget.Bind();
    engine.window->clear(background);
    drawScene(engine, scene, part);

    scene.sceneTarget.Flip();
    scene.sceneTarget.Unbind();
    scene.sceneTarget.GetTexturePtr()->BindToUnit(VRO_CHANNEL_A);
    engine.renderer->Render(scene.sceneQuad, "post");
}
