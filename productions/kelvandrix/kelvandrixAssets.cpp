#include "kelvandrixAssets.h"

#include "vroAudio.h"
#include "vroEngine.h"
#include "vroFontManager.h"
#include "vroShaderManager.h"
#include "vroTextureManager.h"

void registerAssets(vroEngine& engine)
{
    engine.shaderManager->addShader("FSQuad_flip", "noTransform_flipY.vs", "textured.fs");
    engine.shaderManager->addShader("text", "noTransform_flipY.vs", "addtext.fs");
    engine.shaderManager->addShader("cubescape", "noTransform.vs", "rm_cubescape.fs");
    engine.shaderManager->addShader("pyramid_rm", "noTransform.vs", "rm_pyramidgrid.fs");
    engine.shaderManager->addShader("post", "noTransform.vs", "post.fs");

    engine.fontManager->addFont("Steelfish", "steelfish rg.ttf");
    engine.textureManager->addTexture("ende", "ende.png");

    for (const char* track : {"part", "bigtext_index", "greets_index", "bg_h", "bg_s", "bg_v"})
        engine.audio->addSyncTrack(track);
}

TextList makeBigTexts()
{
    return {{"", "ORVANTICA", "TAMBLET", "MERIDALE 2014"},
            {{0.0f, 0.0f}, {-0.965f, 0.05f}, {-0.5f, 0.05f}, {-0.74f, 0.05f}}};
}

TextList makeGreets()
{
    TextList greets;
    const std::pair<const char*, float> entries[] = {
        {"WE LIKE", -0.52f},   {"MERIDALE", -0.4f},  {"NOCTURA", -0.54f},  {"HALVORIX", -0.65f},
        {"QUENTARI", -0.935f}, {"BRELLIX", -0.57f},  {"SOLVANE", -1.0f},   {"TRIVELLA", -0.9f},
        {"MOSKEVAN", -0.6f},   {"ZYG", -0.28f},      {"OKTA", -0.28f},     {"FARNOLT", -0.585f},
        {"VELDRIN", -0.57f},   {"ASKORA", -0.52f},   {"PLUMB", -0.41f},    {"KIRNO", -0.4f},
        {"YOU", -0.28f},
    };
    for (const auto& [text, x] : entries) {
        greets.texts.emplace_back(text);
        greets.positions.emplace_back(x, 0.05f);
    }
    return greets;
}
