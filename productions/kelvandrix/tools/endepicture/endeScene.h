#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "blockLetters.h"

class Picture;

// The closing picture: a dusk sky with a striped low sun, distant hills, a
// glowing grid floor running to the horizon and the word "ENDE" in chrome
// block letters over the sun. Everything is computed from the pixel position,
// so the picture is the same on every run.
class EndeScene {
public:
    EndeScene(int width, int height);

    void render(Picture& picture) const;
    glm::vec3 colourAt(int x, int y) const;

private:
    // Picture coordinates: centred, y up, one unit = picture height.
    glm::vec2 toScene(int x, int y) const;
    float pixelSize() const;

    glm::vec3 sky(glm::vec2 p, int x, int y) const;
    glm::vec3 sun(glm::vec2 p, glm::vec3 behind) const;
    glm::vec3 hills(glm::vec2 p, glm::vec3 behind) const;
    glm::vec3 gridFloor(glm::vec2 p) const;
    glm::vec3 letters(glm::vec2 p, glm::vec3 behind) const;
    glm::vec3 vignette(glm::vec2 p, glm::vec3 colour) const;
    float letterDistance(glm::vec2 p) const; // in pixels

    int width;
    int height;
    BlockLetters word;
};
