#include "blockLetters.h"

#include <algorithm>

#include <glm/geometric.hpp>
#include <glm/common.hpp>

namespace {

constexpr float kStroke = 1.2f;
constexpr float kLetterWidth = 4.0f;
constexpr float kAdvance = 5.2f;

// Rectangle from corner lo to corner hi.
float box(glm::vec2 p, glm::vec2 lo, glm::vec2 hi)
{
    const glm::vec2 centre = (lo + hi) * 0.5f;
    const glm::vec2 q = glm::abs(p - centre) - (hi - lo) * 0.5f;
    return glm::length(glm::max(q, 0.0f)) + std::min(std::max(q.x, q.y), 0.0f);
}

float roundedBox(glm::vec2 p, glm::vec2 centre, glm::vec2 halfSize, float radius)
{
    const glm::vec2 q = glm::abs(p - centre) - halfSize + radius;
    return glm::length(glm::max(q, 0.0f)) + std::min(std::max(q.x, q.y), 0.0f) - radius;
}

float segment(glm::vec2 p, glm::vec2 a, glm::vec2 b, float halfWidth)
{
    const glm::vec2 pa = p - a;
    const glm::vec2 ba = b - a;
    const float along = glm::clamp(glm::dot(pa, ba) / glm::dot(ba, ba), 0.0f, 1.0f);
    return glm::length(pa - ba * along) - halfWidth;
}

float join(float a, float b) { return std::min(a, b); }
float cut(float a, float b) { return std::max(a, -b); }
float overlap(float a, float b) { return std::max(a, b); }

} // namespace

float BlockLetters::letterE(glm::vec2 p)
{
    float d = box(p, {0.0f, 0.0f}, {kStroke, kLetterHeight});
    d = join(d, box(p, {0.0f, kLetterHeight - kStroke}, {kLetterWidth, kLetterHeight}));
    d = join(d, box(p, {0.0f, 2.4f}, {3.3f, 2.4f + kStroke}));
    return join(d, box(p, {0.0f, 0.0f}, {kLetterWidth, kStroke}));
}

float BlockLetters::letterN(glm::vec2 p)
{
    const float stems = join(box(p, {0.0f, 0.0f}, {kStroke, kLetterHeight}),
                             box(p, {kLetterWidth - kStroke, 0.0f}, {kLetterWidth, kLetterHeight}));
    // The diagonal is trimmed to the letter's box so its round ends do not show.
    const float diagonal = overlap(segment(p, {0.5f, kLetterHeight}, {kLetterWidth - 0.5f, 0.0f}, 0.72f),
                                   box(p, {0.0f, 0.0f}, {kLetterWidth, kLetterHeight}));
    return join(stems, diagonal);
}

float BlockLetters::letterD(glm::vec2 p)
{
    const glm::vec2 centre{kLetterWidth * 0.5f, kLetterHeight * 0.5f};
    // Round on the right only: the left half is a plain block.
    const float outer = join(roundedBox(p, centre, centre, 1.9f), box(p, {0.0f, 0.0f}, {centre.x, kLetterHeight}));
    const float counter = roundedBox(p, centre, {centre.x - kStroke, centre.y - kStroke}, 0.7f);
    return cut(outer, counter);
}

float BlockLetters::distance(glm::vec2 p) const
{
    const glm::vec2 upright{p.x - kSlant * p.y, p.y};
    float d = letterE(upright);
    d = join(d, letterN(upright - glm::vec2(kAdvance, 0.0f)));
    d = join(d, letterD(upright - glm::vec2(2.0f * kAdvance, 0.0f)));
    return join(d, letterE(upright - glm::vec2(3.0f * kAdvance, 0.0f)));
}
