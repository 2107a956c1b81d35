#include "endeScene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <glm/common.hpp>
#include <glm/exponential.hpp>
#include <glm/geometric.hpp>

#include "picture.h"

namespace {

constexpr float kHorizon = -0.12f;
constexpr glm::vec2 kSunCentre{0.0f, kHorizon + 0.19f};
constexpr float kSunRadius = 0.26f;
constexpr float kLetterScale = 0.05f; // scene units per letter unit
constexpr float kWordBaseline = -0.03f;

const glm::vec3 kHorizonGlow{1.0f, 0.45f, 0.42f};
const glm::vec3 kDusk{0.42f, 0.1f, 0.45f};
const glm::vec3 kNight{0.03f, 0.02f, 0.11f};
const glm::vec3 kNeonPink{1.0f, 0.22f, 0.78f};
const glm::vec3 kNeonCyan{0.35f, 0.95f, 1.0f};

float hash(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8da6b343u ^ static_cast<std::uint32_t>(y) * 0xd8163841u;
    h = (h ^ (h >> 13)) * 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xffffffu) / static_cast<float>(0x1000000);
}

// 1 inside, 0 outside, with an edge one pixel wide.
float coverage(float distanceInPixels)
{
    return glm::clamp(0.5f - distanceInPixels, 0.0f, 1.0f);
}

float hillHeight(float x)
{
    const float ridge = 0.035f + 0.03f * std::sin(x * 7.1f + 1.3f) + 0.018f * std::sin(x * 17.3f) + 0.008f * std::sin(x * 41.0f);
    // The hills rise towards the sides and leave the sun free.
    return kHorizon + ridge * glm::smoothstep(0.12f, 0.75f, std::abs(x)) * 1.6f;
}

constexpr float kGridSpacing = 0.4f;

// 1 on a grid line of the floor, 0 between them. A camera one unit above a
// flat floor sees a point `drop` below the horizon at depth 1 / drop.
float gridAt(glm::vec2 p)
{
    constexpr float kAlongWidth = 0.01f;
    constexpr float kAcrossWidth = 0.022f;
    constexpr float kScroll = 0.37f;
    const float drop = kHorizon - p.y;
    if (drop <= 0.0f)
        return 0.0f;
    const float depth = 1.0f / drop;
    const float columns = p.x * depth / kGridSpacing;
    const float rows = (depth + kScroll) / kGridSpacing;
    const bool along = std::abs(columns - std::round(columns)) * kGridSpacing < kAlongWidth;
    const bool across = std::abs(rows - std::round(rows)) * kGridSpacing < kAcrossWidth;
    return along || across ? 1.0f : 0.0f;
}

} // namespace

EndeScene::EndeScene(int pictureWidth, int pictureHeight) : width(pictureWidth), height(pictureHeight) {}

void EndeScene::render(Picture& picture) const
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.set(x, y, colourAt(x, y));
}

glm::vec2 EndeScene::toScene(int x, int y) const
{
    const float h = static_cast<float>(height);
    return {(static_cast<float>(x) + 0.5f - 0.5f * static_cast<float>(width)) / h,
            (0.5f * h - static_cast<float>(y) - 0.5f) / h};
}

float EndeScene::pixelSize() const
{
    return 1.0f / static_cast<float>(height);
}

glm::vec3 EndeScene::colourAt(int x, int y) const
{
    const glm::vec2 p = toScene(x, y);
    glm::vec3 colour = p.y >= kHorizon ? hills(p, sun(p, sky(p, x, y))) : gridFloor(p);
    colour = letters(p, colour);
    return vignette(p, colour);
}

glm::vec3 EndeScene::sky(glm::vec2 p, int x, int y) const
{
    const float up = (p.y - kHorizon) / (0.5f - kHorizon);
    glm::vec3 colour = glm::mix(kHorizonGlow, kDusk, glm::smoothstep(0.0f, 0.45f, up));
    colour = glm::mix(colour, kNight, glm::smoothstep(0.35f, 1.0f, up));
    const float star = hash(x, y);
    if (star > 0.9975f)
        colour += glm::vec3(0.9f, 0.85f, 1.0f) * (0.3f + 200.0f * (star - 0.9975f)) * glm::smoothstep(0.4f, 0.85f, up);
    return colour;
}

glm::vec3 EndeScene::sun(glm::vec2 p, glm::vec3 behind) const
{
    const float d = glm::length(p - kSunCentre);
    const glm::vec3 glow = glm::vec3(1.0f, 0.35f, 0.5f) * 0.35f * std::exp(-(d - kSunRadius) * 9.0f);
    if (d > kSunRadius + pixelSize())
        return behind + glow;

    const float down = (kSunCentre.y + kSunRadius - p.y) / (2.0f * kSunRadius); // 0 top .. 1 bottom
    const glm::vec3 face = glm::mix(glm::vec3(1.0f, 0.88f, 0.38f), glm::vec3(1.0f, 0.22f, 0.5f), glm::smoothstep(0.1f, 0.95f, down));
    // Cuts through the lower half that widen towards the horizon.
    const float band = (kSunCentre.y + 0.02f - p.y) / 0.055f;
    float open = 1.0f;
    if (band > 0.0f) {
        const float gap = 0.12f + 0.55f * glm::clamp(band / 5.0f, 0.0f, 1.0f);
        const float inBand = band - std::floor(band);
        const float gapPixels = std::min(inBand, gap - inBand) * 0.055f / pixelSize();
        open = 1.0f - (inBand < gap ? coverage(-gapPixels) : 0.0f);
    }
    const float disc = coverage((d - kSunRadius) / pixelSize()) * open;
    return glm::mix(behind + glow, face, disc);
}

glm::vec3 EndeScene::hills(glm::vec2 p, glm::vec3 behind) const
{
    const float top = hillHeight(p.x);
    const float below = (top - p.y) / pixelSize();
    const glm::vec3 body{0.07f, 0.02f, 0.12f};
    const glm::vec3 rim = kNeonPink * 0.8f * std::exp(-std::max(below, 0.0f) / 2.0f);
    return glm::mix(behind, body + rim, coverage(-below));
}

glm::vec3 EndeScene::gridFloor(glm::vec2 p) const
{
    // The lines shrink below a pixel towards the horizon; averaging a grid of
    // samples per pixel lets them fade into a glow instead of shimmering.
    constexpr int kSamples = 4;
    float lines = 0.0f;
    for (int j = 0; j < kSamples; ++j)
        for (int i = 0; i < kSamples; ++i) {
            const glm::vec2 offset{(static_cast<float>(i) + 0.5f) / kSamples - 0.5f, (static_cast<float>(j) + 0.5f) / kSamples - 0.5f};
            lines += gridAt(p + offset * pixelSize());
        }
    lines /= static_cast<float>(kSamples * kSamples);

    const float drop = kHorizon - p.y;
    const float haze = std::exp(-drop * 22.0f);
    const glm::vec3 lineColour = glm::mix(kNeonPink, kHorizonGlow, haze);
    glm::vec3 colour = glm::vec3(0.03f, 0.0f, 0.06f) + lineColour * lines;
    // The sun's reflection: a soft streak straight down from it.
    colour += glm::vec3(1.0f, 0.4f, 0.45f) * 0.3f * std::exp(-std::abs(p.x) * 7.0f) * std::exp(-drop * 5.0f);
    return glm::mix(colour, kHorizonGlow * 0.85f, haze);
}

float EndeScene::letterDistance(glm::vec2 p) const
{
    const float centreOffset = 0.5f * (BlockLetters::kWordWidth + BlockLetters::kSlant * BlockLetters::kLetterHeight);
    const glm::vec2 local{p.x / kLetterScale + centreOffset, (p.y - kWordBaseline) / kLetterScale};
    return word.distance(local) * kLetterScale / pixelSize();
}

glm::vec3 EndeScene::letters(glm::vec2 p, glm::vec3 behind) const
{
    const glm::vec2 shadowOffset{0.008f, -0.01f};
    const float shadow = coverage(letterDistance(p - shadowOffset) - 6.0f);
    const float d = letterDistance(p);
    glm::vec3 colour = behind * (1.0f - 0.65f * shadow);
    colour += kNeonPink * 0.55f * std::exp(-std::max(d, 0.0f) / 16.0f);

    // Chrome: pale sky above a dark horizon line, warm reflection below it.
    const float rise = glm::clamp((p.y - kWordBaseline) / (kLetterScale * BlockLetters::kLetterHeight), 0.0f, 1.0f);
    const glm::vec3 upper = glm::mix(glm::vec3(0.45f, 0.7f, 1.0f), glm::vec3(1.0f, 1.0f, 1.0f), glm::smoothstep(0.52f, 1.0f, rise));
    const glm::vec3 lower = glm::mix(glm::vec3(1.0f, 0.62f, 0.8f), glm::vec3(0.22f, 0.05f, 0.32f), glm::smoothstep(0.0f, 0.5f, rise));
    glm::vec3 chrome = rise > 0.5f ? upper : lower;
    chrome += glm::vec3(1.0f) * 0.6f * coverage(std::abs(rise - 0.5f) / pixelSize() * kLetterScale * BlockLetters::kLetterHeight - 1.0f);

    const glm::vec3 outlined = glm::mix(kNeonCyan, chrome, coverage(d + 3.0f));
    return glm::mix(colour, outlined, coverage(d));
}

glm::vec3 EndeScene::vignette(glm::vec2 p, glm::vec3 colour) const
{
    const float edge = glm::length(p * glm::vec2(0.85f, 1.3f));
    return colour * (1.0f - 0.4f * glm::smoothstep(0.45f, 1.05f, edge));
}
