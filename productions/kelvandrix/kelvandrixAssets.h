#pragma once

#include <string>
#include <vector>

#include <glm/vec2.hpp>

class vroEngine;

// Texts the script writes, each with the point where the overlay places it
// (-1 to 1 across the window, y up).
struct TextList {
    std::vector<std::string> texts;
    std::vector<glm::vec2> positions;
};

// The programs, font, image and tracks of the production, by name; the
// music and the tracks' base name are declared (vroShow registers them).
void registerAssets(vroEngine& engine);

TextList makeBigTexts();
TextList makeGreets();
