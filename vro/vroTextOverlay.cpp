#include "vroTextOverlay.h"

#include "vroEngine.h"
#include "vroFont.h"
#include "vroFontManager.h"
#include "vroProgressBar.h"
#include "vroTexture.h"
#include "vroWindow.h"

#include <cmath>
#include <cstdint>

namespace {

// Truncation towards zero, with values beyond int's range held at its ends
// (and NaN at 0) instead of being undefined.
int truncateToInt(float value)
{
    constexpr float kLimit = 2147483520.0f; // the largest float below 2^31
    if (std::isnan(value))
        return 0;
    if (value >= kLimit)
        return static_cast<int>(kLimit);
    if (value <= -kLimit)
        return -static_cast<int>(kLimit);
    return static_cast<int>(value);
}

glm::ivec2 penStart(glm::vec2 position, glm::ivec2 canvas)
{
    const float x = (position.x * 0.5f + 0.5f) * static_cast<float>(canvas.x);
    const float y = (1.0f - (position.y * 0.5f + 0.5f)) * static_cast<float>(canvas.y);
    return glm::ivec2(truncateToInt(x), truncateToInt(y));
}

int pixelSize(int percent, int canvasHeight)
{
    return static_cast<int>(std::int64_t{percent} * canvasHeight / 100);
}

} // namespace

vroTextOverlay::vroTextOverlay(vroEngine* engine, VROchannel channel)
    : engine(engine)
    , channel(channel)
{
}

vroTextOverlay::~vroTextOverlay() = default;

void vroTextOverlay::Load(vroProgressBar& progressBar)
{
    texture = std::make_unique<vroTexture>(engine->window->getDimensions(), GL_UNSIGNED_BYTE);
    texture->BindToUnit(channel);
    texture->Load();
    progressBar.Advance();
}

void vroTextOverlay::Clear()
{
    if (!texture)
        return;
    // The CPU buffer is never drawn into, so uploading it again blanks the
    // canvas.
    texture->BindToUnit(channel);
    texture->Load();
}

void vroTextOverlay::Write(std::string text, int size, glm::vec2 position, std::string fontName)
{
    if (!texture)
        return;
    texture->BindToUnit(channel);
    const glm::ivec2 canvas = engine->window->getDimensions();
    const glm::ivec2 start = penStart(position, canvas);
    vroFont* font = engine->fontManager->getFont(std::move(fontName));
    if (!font)
        return;
    font->RenderText(std::move(text), pixelSize(size, canvas.y), start, canvas);
}
