#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class Timeline;
class Transport;
struct vroDeclaration;
struct ImDrawList;
struct ImVec2;

// The timeline drawn with Dear ImGui over the lower part of the window: a
// ruler of bars and beats, one lane per track with its keys and its curve as
// the sync player evaluates it, the playhead at the frame's row. Widgets keep
// no state of their own: the view, the drag and the typed field live here,
// the keys and the selection in the Timeline. Build between the ImGui
// layer's BeginFrame and Render; only what is in view is drawn.
class TimelinePanel {
public:
    // The declaration names the parts on the "part" track's lane.
    TimelinePanel(Timeline& timeline, Transport& transport, const vroDeclaration& declaration);

    // The panel's widgets for one frame, with the edits and seeks they make.
    void Build();
    // Ends what the mouse was doing: the panel is hidden mid-drag.
    void Hide();
    // The panel's own keys: I, Delete, K, and with Ctrl C and V. They come
    // from the window's key callback, which never misses a press shorter
    // than a frame, in order with the player's other keys.
    static bool isPanelKey(int key, int mods);
    void Press(int key, int mods);

    // The pixel column of a row in the last frame's layout.
    float xOfRow(double row) const;
    // Shows count rows from first on, and stops following the playhead.
    void showRows(double first, double count);
    // Where the ruler starts, in pixels from the window's top.
    float getRulerTop() const { return rulerTop; }

    static constexpr float kHeightShare = 0.45f; // of the window's height
    static constexpr float kNameWidth = 110.0f;
    static constexpr float kRulerHeight = 18.0f;

private:
    struct Lanes {
        float left, right, top, height; // the area of the curves
        float laneHeight;
    };

    void follow(double playRow);
    void handleWheel(const Lanes& lanes);
    void drawRuler(ImDrawList& draw, const Lanes& lanes, float top);
    void seekFromRuler(const Lanes& lanes, float top);
    void drawLane(ImDrawList& draw, const Lanes& lanes, int track);
    void drawCurve(ImDrawList& draw, const Lanes& lanes, int track, const std::function<float(double)>& yOf) const;
    void handleMouse(const Lanes& lanes);
    void insertAtPlayhead(const Lanes& lanes, int32_t row);
    void buildKeyField();
    int laneAt(const Lanes& lanes, float y) const;
    double rowAt(float x) const;
    // The key nearest the mouse on its lane within a few pixels, or none.
    bool keyNear(const Lanes& lanes, const ImVec2& mouse, int& track, int32_t& row) const;

    Timeline& timeline;
    Transport& transport;
    const vroDeclaration& declaration;
    double firstRow = 0.0;
    double visibleRows = 256.0;
    bool following = true;
    float left = 0.0f;
    float width = 1.0f;
    float rulerTop = 0.0f;
    // A drag of keys or of a selection rectangle, from where the mouse went down.
    enum class Drag { None, Keys, Rectangle } drag = Drag::None;
    float dragX = 0.0f, dragY = 0.0f;
    float dragValuePerPixel = 0.0f;
    std::optional<Lanes> layout; // as the last frame showed them
    // The typed field of the selected key, and what was wrong with the last entry.
    char rowText[32] = "";
    char valueText[32] = "";
    std::string fieldProblem;
    int32_t fieldKeyTrack = -1;
    int32_t fieldKeyRow = 0;
};
