// @NAME@: one scene shader steered by two tracks, with a title over it.
//   the picture: shaders/scene.fs (uSyncA and uSyncB come from the tracks
//                shader_A and shader_B of tracks/@NAME@.tracks)
//   the timing:  tracks/@NAME@.tracks (the development player's timeline edits it)
//   the music:   music/@NAME@.score
//   the text, and what is drawn when: here.
#include "vroAudio.h"
#include "vroChannel.h"
#include "vroEngine.h"
#include "vroFSQuad.h"
#include "vroProduction.h"
#include "vroRenderer.h"
#include "vroShaderManager.h"
#include "vroTextOverlay.h"
#include "vroTexture.h"
#include "vroWindow.h"

#include <algorithm>
#include <string>

namespace {

const std::string kTitle = "@TITLE@";
constexpr int kTextSize = 12; // in hundredths of the picture's height

// Where the title begins (-1 the left edge, 1 the right): about centred, as
// the engine's default font is some 0.09 of the width a letter at its size.
float titleLeft()
{
    return std::max(-0.95f, -0.045f * static_cast<float>(kTitle.size()));
}

class Production : public vroProduction {
public:
    // Registers what the engine loads behind its loading bar: programs by
    // name from files of shaders/, and the tracks the frame reads by name
    // (shader_A to shader_D reach every shader without registration).
    explicit Production(vroEngine& engine) : engine(engine)
    {
        engine.shaderManager->addShader("scene", "fullscreen.vs", "scene.fs");
        engine.audio->addSyncTrack("part");
    }

    void RunFrame() override
    {
        // Part 0 writes the title on the text canvas, which scene.fs lays
        // over its picture; any other part leaves the canvas empty.
        vroTextOverlay& text = *engine.textOverlay;
        text.Clear();
        if (engine.audio->getSyncValue("part") < 1.0f)
            text.Write(kTitle, kTextSize, {titleLeft(), 0.0f}, "vro_default_font");
        text.getTexture()->BindToUnit(VRO_CHANNEL_TEXT);
        engine.window->clear();
        engine.renderer->Render(quad, "scene");
    }

private:
    vroEngine& engine;
    vroFSQuad quad;
};

} // namespace

std::unique_ptr<vroProduction> vroCreateProduction(vroEngine& engine)
{
    return std::make_unique<Production>(engine);
}
