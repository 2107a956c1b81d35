#pragma once

#include "vroChannel.h"

#include <memory>
#include <string>

#include <glm/vec2.hpp>

class vroEngine;
class vroProgressBar;
class vroTexture;

// A window-sized canvas that text is written into, tied to one texture
// channel: after Write the canvas is bound on the channel's unit, so every
// program sees it through that channel's sampler. Row 0 of the canvas is the
// top of the picture. Before Load there is no canvas and Clear and Write do
// nothing.
class vroTextOverlay {
public:
    vroTextOverlay(vroEngine* engine, VROchannel channel);
    ~vroTextOverlay();

    vroTextOverlay(const vroTextOverlay&) = delete;
    vroTextOverlay& operator=(const vroTextOverlay&) = delete;

    // Creates the blank canvas at the window's size: one progress step.
    void Load(vroProgressBar& progressBar);
    void Clear();
    // `size` is a percentage of the canvas height; `position` is in
    // normalised device coordinates (y up). Writes add to what is there.
    void Write(std::string text, int size, glm::vec2 position, std::string fontName);
    // Null before Load.
    vroTexture* getTexture() const { return texture.get(); }

private:
    std::unique_ptr<vroTexture> texture;
    vroEngine* engine;
    VROchannel channel;
};
