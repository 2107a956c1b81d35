#pragma once

#include <glm/vec2.hpp>

// The word "ENDE" as chunky slanted block letters, described by a signed
// distance: negative inside a letter, positive outside, in letter units (a
// letter is 4 units wide and 6 tall, baseline at y = 0, y pointing up).
// Working with distances gives anti-aliased edges and a glow for free.
class BlockLetters {
public:
    static constexpr float kLetterHeight = 6.0f;
    static constexpr float kWordWidth = 19.6f;
    static constexpr float kSlant = 0.16f; // x shift per unit of height

    float distance(glm::vec2 p) const;

private:
    static float letterE(glm::vec2 p);
    static float letterN(glm::vec2 p);
    static float letterD(glm::vec2 p);
};
