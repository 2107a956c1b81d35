#pragma once

#include <chrono>
#include <string>

class vroEngine;
class vroFSQuad;

// The lines of text over the picture, drawn through the engine's debug text
// overlay with its "debugtext" program and default font, after the
// production's frame. The text is laid out again only when it changed, and
// at most four times a second: nobody reads faster, and a layout costs a
// canvas upload.
class Readout {
public:
    // Loads the debug overlay's canvas (the engine never does).
    explicit Readout(vroEngine& engine);

    // The text to show; takes effect at the next allowed layout.
    void setText(std::string text);
    // Lays out if due, then draws over whatever framebuffer is bound.
    void Draw(vroFSQuad& quad);
    void setVisible(bool shown) { visible = shown; }
    bool isVisible() const { return visible; }
    // How many times the text has been laid out.
    int getLayouts() const { return layouts; }
    const std::string& getShownText() const { return shownText; }

    static constexpr int kTextSize = 4; // percent of the window's height
    static constexpr std::chrono::milliseconds kLayoutInterval{250};

private:
    void layOut();

    vroEngine& engine;
    std::string wantedText;
    std::string shownText;
    std::chrono::steady_clock::time_point lastLayout{};
    bool visible = true;
    int layouts = 0;
};
