#include "timelinePanel.h"

#include "timeline.h"
#include "trackText.h"
#include "transport.h"
#include "vroDeclaration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include <GLFW/glfw3.h>
#include <imgui.h>

namespace {

constexpr float kKeyRadius = 3.5f;
constexpr float kHitDistance = 6.0f;
// Closer than this, beat lines and row ticks would only grey the lanes.
constexpr float kFinestGrid = 6.0f;
constexpr float kLabelSpacing = 40.0f;
// Pixels between the points of a sampled curve.
constexpr float kCurveStep = 4.0f;

const ImU32 kBackground = IM_COL32(20, 20, 24, 215);
const ImU32 kLaneShade = IM_COL32(255, 255, 255, 10);
const ImU32 kBarLine = IM_COL32(255, 255, 255, 70);
const ImU32 kBeatLine = IM_COL32(255, 255, 255, 28);
const ImU32 kText = IM_COL32(220, 220, 220, 255);
const ImU32 kCurve = IM_COL32(90, 200, 255, 255);
const ImU32 kKey = IM_COL32(255, 255, 255, 255);
const ImU32 kSelected = IM_COL32(255, 200, 40, 255);
const ImU32 kPlayhead = IM_COL32(255, 40, 40, 255);
const ImU32 kProblem = IM_COL32(255, 110, 110, 255);

const char* const kKinds = "step\0linear\0smooth\0ramp\0";

// The value range a lane shows: its keys' values, a little room around them.
void rangeOf(const std::vector<sync_key>& keys, float& low, float& high)
{
    low = high = keys.empty() ? 0.0f : keys[0].value;
    for (const sync_key& key : keys) {
        low = std::min(low, key.value);
        high = std::max(high, key.value);
    }
    const float room = high > low ? (high - low) * 0.1f : 0.5f;
    low -= room;
    high += room;
}

std::vector<sync_key>::const_iterator firstKeyFrom(const std::vector<sync_key>& keys, double row)
{
    return std::lower_bound(keys.begin(), keys.end(), row,
                            [](const sync_key& key, double wanted) { return key.row < wanted; });
}

} // namespace

TimelinePanel::TimelinePanel(Timeline& timeline, Transport& transport, const vroDeclaration& declaration)
    : timeline(timeline), transport(transport), declaration(declaration)
{
}

float TimelinePanel::xOfRow(double row) const
{
    return left + static_cast<float>((row - firstRow) / visibleRows) * width;
}

void TimelinePanel::showRows(double first, double count)
{
    firstRow = first;
    visibleRows = count;
    following = false;
}

double TimelinePanel::rowAt(float x) const
{
    return firstRow + (x - left) / width * visibleRows;
}

void TimelinePanel::Build()
{
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float top = std::floor(display.y * (1.0f - kHeightShare));
    ImGui::SetNextWindowPos(ImVec2(0.0f, top));
    ImGui::SetNextWindowSize(ImVec2(display.x, display.y - top));
    ImGui::PushStyleColor(ImGuiCol_WindowBg, kBackground);
    ImGui::Begin("timeline", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings
                     | ImGuiWindowFlags_NoScrollWithMouse | ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImGui::PopStyleColor();
    buildKeyField();

    const double playRow = transport.getRow();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const ImVec2 room = ImGui::GetContentRegionAvail();
    rulerTop = origin.y;
    const size_t tracks = timeline.getDocument().tracks().size();
    left = origin.x + kNameWidth;
    width = std::max(1.0f, room.x - kNameWidth);
    const float lanesTop = rulerTop + kRulerHeight;
    const float lanesHeight = std::max(1.0f, room.y - kRulerHeight);
    const Lanes lanes{left, left + width, lanesTop, lanesHeight,
                      lanesHeight / static_cast<float>(std::max<size_t>(tracks, 1))};

    handleWheel(lanes);
    if (drag == Drag::None)
        follow(playRow);
    ImDrawList& draw = *ImGui::GetWindowDrawList();
    // One-pixel curves drawn without smoothed edges: fewer vertices, and sharp enough.
    draw.Flags &= ~ImDrawListFlags_AntiAliasedLines;
    for (size_t track = 0; track < tracks; ++track)
        drawLane(draw, lanes, static_cast<int>(track));
    // Rows before or after the view stay out of the names' column.
    draw.PushClipRect(ImVec2(lanes.left, rulerTop), ImVec2(lanes.right, lanesTop + lanesHeight), true);
    drawRuler(draw, lanes, rulerTop);
    const float playX = xOfRow(playRow);
    draw.AddLine(ImVec2(playX, rulerTop), ImVec2(playX, lanesTop + lanesHeight), kPlayhead, 2.0f);
    draw.PopClipRect();
    seekFromRuler(lanes, rulerTop);
    handleMouse(lanes);
    layout = lanes;
    ImGui::End();
}

// While playing, the view turns a page when the playhead nears its right
// edge, unless the user scrolled away (a seek in the ruler brings it back).
void TimelinePanel::follow(double playRow)
{
    if (following && (playRow < firstRow || playRow > firstRow + visibleRows * 0.9))
        firstRow = playRow - visibleRows * 0.1;
}

// The wheel zooms about the row under the mouse, from the whole tune down to
// a few rows; with Shift, or sideways, it scrolls.
void TimelinePanel::handleWheel(const Lanes& lanes)
{
    const ImGuiIO& io = ImGui::GetIO();
    const ImVec2 mouse = io.MousePos;
    if (mouse.x < lanes.left || mouse.x > lanes.right || mouse.y < lanes.top - kRulerHeight
        || mouse.y > lanes.top + lanes.height || !ImGui::IsWindowHovered())
        return;
    const float scroll = io.KeyShift ? io.MouseWheel : io.MouseWheelH;
    if (scroll != 0.0f) {
        firstRow -= scroll * visibleRows * 0.1;
        following = false;
    } else if (io.MouseWheel != 0.0f) {
        const double anchor = rowAt(mouse.x);
        const double most = std::max(32.0, static_cast<double>(timeline.lastRow()) * 1.05);
        const double fewest = static_cast<double>(width) / 40.0;
        visibleRows = std::clamp(visibleRows * std::pow(0.8, io.MouseWheel), fewest, most);
        firstRow = anchor - (mouse.x - lanes.left) / width * visibleRows;
    }
}

void TimelinePanel::drawRuler(ImDrawList& draw, const Lanes& lanes, float top)
{
    const float barWidth = static_cast<float>(Transport::kRowsPerBar / visibleRows) * width;
    int labelEvery = 1;
    while (labelEvery * barWidth < kLabelSpacing)
        labelEvery *= 2;
    const float bottom = lanes.top + lanes.height;
    const int firstBar = static_cast<int>(std::floor(firstRow / Transport::kRowsPerBar));
    const int lastBar = static_cast<int>(std::ceil((firstRow + visibleRows) / Transport::kRowsPerBar));
    for (int bar = std::max(firstBar, 0); bar <= lastBar; ++bar) {
        const float x = xOfRow(static_cast<double>(bar) * Transport::kRowsPerBar);
        draw.AddLine(ImVec2(x, top), ImVec2(x, bottom), kBarLine);
        if (bar % labelEvery == 0)
            draw.AddText(ImVec2(x + 3.0f, top + 1.0f), kText, std::to_string(bar).c_str());
        for (int part = 1; part < Transport::kRowsPerBar; ++part) {
            const bool beat = part % Transport::kRowsPerBeat == 0;
            const float spacing = barWidth / (beat ? 4.0f : 32.0f);
            if (spacing < kFinestGrid || (!beat && spacing < 2.0f * kFinestGrid))
                continue;
            const float at = x + barWidth * static_cast<float>(part) / Transport::kRowsPerBar;
            draw.AddLine(ImVec2(at, beat ? top + kRulerHeight * 0.5f : lanes.top - 4.0f),
                         ImVec2(at, beat ? bottom : lanes.top), kBeatLine);
        }
    }
}

// Clicking or dragging in the ruler seeks there: scrubbing.
void TimelinePanel::seekFromRuler(const Lanes& lanes, float top)
{
    ImGui::SetCursorScreenPos(ImVec2(lanes.left, top));
    ImGui::InvisibleButton("ruler", ImVec2(lanes.right - lanes.left, kRulerHeight));
    if (!ImGui::IsItemActive())
        return;
    const double row = std::clamp(rowAt(ImGui::GetIO().MousePos.x), 0.0, static_cast<double>(timeline.lastRow()));
    if (std::abs(row - transport.getRow()) >= 0.5)
        transport.SeekRow(std::round(row));
    following = true;
}

void TimelinePanel::drawLane(ImDrawList& draw, const Lanes& lanes, int track)
{
    const TrackDocument::Track& data = timeline.getDocument().tracks()[static_cast<size_t>(track)];
    const float top = lanes.top + lanes.laneHeight * static_cast<float>(track);
    const float bottom = top + lanes.laneHeight;
    if (track % 2 == 0)
        draw.AddRectFilled(ImVec2(lanes.left - kNameWidth, top), ImVec2(lanes.right, bottom), kLaneShade);
    draw.AddText(ImVec2(lanes.left - kNameWidth + 4.0f, top + 1.0f), kText, data.name.c_str());
    float low = 0.0f;
    float high = 0.0f;
    rangeOf(data.keys, low, high);
    const auto yOf = [&](double value) {
        return bottom - 2.0f - static_cast<float>((value - low) / (high - low)) * (lanes.laneHeight - 4.0f);
    };

    draw.PushClipRect(ImVec2(lanes.left, top), ImVec2(lanes.right, bottom), true);
    drawCurve(draw, lanes, track, yOf);

    // The keys in view; of keys closer than a key's width, only the first:
    // they could not be told apart anyway.
    const bool isPart = data.name == "part";
    // The part playing at the view's left edge, named there.
    if (isPart && !data.keys.empty())
        draw.AddText(ImVec2(lanes.left + 4.0f, top + 1.0f), kText,
                     declaration.partName(static_cast<float>(timeline.valueAt(track, firstRow))));
    const std::set<Timeline::KeyRef>& selection = timeline.getSelection();
    float lastX = -1e9f;
    for (auto key = firstKeyFrom(data.keys, firstRow - 1.0); key != data.keys.end(); ++key) {
        const float x = xOfRow(key->row);
        if (x > lanes.right + kKeyRadius)
            break;
        const bool selected = selection.count({track, key->row}) > 0;
        if (x - lastX < 2.0f * kKeyRadius && !selected)
            continue;
        lastX = x;
        const float y = yOf(key->value);
        draw.AddRectFilled(ImVec2(x - kKeyRadius, y - kKeyRadius), ImVec2(x + kKeyRadius, y + kKeyRadius),
                           selected ? kSelected : kKey);
        const bool changes = key == data.keys.begin() || std::prev(key)->value != key->value;
        if (isPart && changes)
            draw.AddText(ImVec2(x + 4.0f, top + 1.0f), kText, declaration.partName(key->value));
    }
    draw.PopClipRect();
}

// The curve as the sync player evaluates it: a held value is two straight
// lines, a linear one one line, the eased ones a point every few pixels.
// Where keys stand closer than that, the curve is sampled every few pixels
// instead, so that no more points are drawn than the lane is wide.
void TimelinePanel::drawCurve(ImDrawList& draw, const Lanes& lanes, int track,
                              const std::function<float(double)>& yOf) const
{
    const std::vector<sync_key>& keys = timeline.getDocument().tracks()[static_cast<size_t>(track)].keys;
    auto first = firstKeyFrom(keys, firstRow);
    auto last = firstKeyFrom(keys, firstRow + visibleRows);
    const float columns = width / kCurveStep;
    std::vector<ImVec2> points;
    const auto add = [&](double row) { points.emplace_back(xOfRow(row), yOf(timeline.valueAt(track, row))); };
    if (static_cast<float>(last - first) > columns * 0.5f) {
        for (float x = lanes.left; x <= lanes.right + kCurveStep; x += kCurveStep)
            points.emplace_back(x, yOf(timeline.valueAt(track, rowAt(x))));
    } else {
        const double end = firstRow + visibleRows;
        // From the key before the view to the key after it.
        first = first == keys.begin() ? first : std::prev(first);
        last = last == keys.end() ? last : std::next(last);
        add(std::min(firstRow, keys.empty() ? firstRow : double(first->row)));
        for (auto key = first; key != last; ++key) {
            const auto next = std::next(key);
            const double to = next == keys.end() ? std::max(end, double(key->row)) : double(next->row);
            add(key->row);
            if (next != keys.end() && (key->kind == SYNC_KEY_SMOOTH || key->kind == SYNC_KEY_RAMP)) {
                const float span = xOfRow(to) - xOfRow(key->row);
                const int steps = std::clamp(static_cast<int>(span / kCurveStep), 1, 64);
                for (int step = 1; step < steps; ++step)
                    add(key->row + (to - key->row) * step / steps);
            }
            // A held value runs flat to the next key, then jumps.
            if (key->kind == SYNC_KEY_STEP || next == keys.end())
                points.emplace_back(xOfRow(to), yOf(key->value));
        }
        if (keys.empty())
            add(end);
        else if (last != keys.end())
            add(last->row);
    }
    draw.AddPolyline(points.data(), static_cast<int>(points.size()), kCurve, ImDrawFlags_None, 1.0f);
}

int TimelinePanel::laneAt(const Lanes& lanes, float y) const
{
    const int lane = static_cast<int>(std::floor((y - lanes.top) / lanes.laneHeight));
    const int count = static_cast<int>(timeline.getDocument().tracks().size());
    return lane >= 0 && lane < count ? lane : -1;
}

bool TimelinePanel::keyNear(const Lanes& lanes, const ImVec2& mouse, int& track, int32_t& row) const
{
    track = laneAt(lanes, mouse.y);
    if (track < 0)
        return false;
    const std::vector<sync_key>& keys = timeline.getDocument().tracks()[static_cast<size_t>(track)].keys;
    float nearest = kHitDistance;
    bool found = false;
    for (auto key = firstKeyFrom(keys, rowAt(mouse.x - kHitDistance)); key != keys.end(); ++key) {
        const float distance = std::abs(xOfRow(key->row) - mouse.x);
        if (xOfRow(key->row) > mouse.x + kHitDistance)
            break;
        if (distance <= nearest) {
            nearest = distance;
            row = key->row;
            found = true;
        }
    }
    return found;
}

// A click picks a key (Shift adds or removes it) and a drag moves the
// selection in rows, or with Ctrl or Alt in value; a drag from empty space selects
// the keys in its rectangle.
void TimelinePanel::handleMouse(const Lanes& lanes)
{
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetCursorScreenPos(ImVec2(lanes.left, lanes.top));
    ImGui::InvisibleButton("lanes", ImVec2(lanes.right - lanes.left, lanes.height));
    std::set<Timeline::KeyRef>& selection = timeline.getSelection();
    if (ImGui::IsItemActivated()) {
        int track = -1;
        int32_t row = 0;
        dragX = io.MousePos.x;
        dragY = io.MousePos.y;
        if (keyNear(lanes, io.MousePos, track, row)) {
            const Timeline::KeyRef ref{track, row};
            if (io.KeyShift)
                selection.count(ref) ? (void)selection.erase(ref) : (void)selection.insert(ref);
            else if (!selection.count(ref))
                selection = {ref};
            float low = 0.0f;
            float high = 0.0f;
            rangeOf(timeline.getDocument().tracks()[static_cast<size_t>(track)].keys, low, high);
            dragValuePerPixel = (high - low) / std::max(1.0f, lanes.laneHeight - 4.0f);
            timeline.beginDrag();
            drag = Drag::Keys;
        } else {
            if (!io.KeyShift)
                selection.clear();
            drag = Drag::Rectangle;
        }
    }
    const ImVec2 mouse = io.MousePos;
    if (drag == Drag::Keys && ImGui::IsItemActive()) {
        const float rowWidth = width / static_cast<float>(visibleRows);
        // Alt is often the window manager's for moving windows: Ctrl does the same.
        const bool inValue = io.KeyCtrl || io.KeyAlt;
        const int32_t rows = inValue ? 0 : static_cast<int32_t>(std::lround((mouse.x - dragX) / rowWidth));
        const float value = inValue ? (dragY - mouse.y) * dragValuePerPixel : 0.0f;
        // Values land on round numbers about a pixel apart, which read back short.
        timeline.dragTo(rows, value, std::pow(10.0, std::floor(std::log10(dragValuePerPixel))));
    }
    if (drag == Drag::Rectangle && ImGui::IsItemActive())
        ImGui::GetWindowDrawList()->AddRect(ImVec2(dragX, dragY), mouse, kSelected);
    if (!ImGui::IsItemDeactivated())
        return;
    if (drag == Drag::Keys)
        timeline.endDrag();
    if (drag == Drag::Rectangle) {
        const double fromRow = rowAt(std::min(dragX, mouse.x));
        const double toRow = rowAt(std::max(dragX, mouse.x));
        const int firstLane = laneAt(lanes, std::max(std::min(dragY, mouse.y), lanes.top));
        const int lastLane = laneAt(lanes, std::min(std::max(dragY, mouse.y), lanes.top + lanes.height - 1.0f));
        for (int track = firstLane; track >= 0 && track <= lastLane; ++track) {
            const std::vector<sync_key>& keys = timeline.getDocument().tracks()[static_cast<size_t>(track)].keys;
            for (auto key = firstKeyFrom(keys, fromRow); key != keys.end() && key->row <= toRow; ++key)
                selection.insert({track, key->row});
        }
    }
    drag = Drag::None;
}

void TimelinePanel::Hide()
{
    if (drag == Drag::Keys)
        timeline.endDrag();
    drag = Drag::None;
}

bool TimelinePanel::isPanelKey(int key, int mods)
{
    if (mods & GLFW_MOD_CONTROL)
        return key == GLFW_KEY_C || key == GLFW_KEY_V;
    return key == GLFW_KEY_I || key == GLFW_KEY_DELETE || key == GLFW_KEY_K;
}

// I inserts at the playhead on the lane under the mouse, Delete removes the
// selection, K cycles its kind, Ctrl+C and Ctrl+V copy and paste at the
// playhead; all as the last frame showed the lanes, the mouse and the playhead.
void TimelinePanel::Press(int key, int mods)
{
    const double playRow = std::clamp(std::floor(transport.getRow()), 0.0, double(timeline.lastRow()));
    const int32_t row = static_cast<int32_t>(playRow);
    const bool control = (mods & GLFW_MOD_CONTROL) != 0;
    if (key == GLFW_KEY_I && !control && layout)
        insertAtPlayhead(*layout, row);
    else if (key == GLFW_KEY_DELETE && !control)
        timeline.deleteSelection();
    else if (key == GLFW_KEY_K && !control)
        timeline.cycleKindOfSelection();
    else if (key == GLFW_KEY_C && control)
        timeline.copySelection();
    else if (key == GLFW_KEY_V && control)
        timeline.paste(row);
}

// With the value the track has there, and the kind of the key before.
void TimelinePanel::insertAtPlayhead(const Lanes& lanes, int32_t row)
{
    const int track = laneAt(lanes, ImGui::GetIO().MousePos.y);
    if (track < 0)
        return;
    const std::vector<sync_key>& keys = timeline.getDocument().tracks()[static_cast<size_t>(track)].keys;
    const auto after = firstKeyFrom(keys, row + 1);
    const sync_key_kind kind = after == keys.begin() ? SYNC_KEY_STEP : std::prev(after)->kind;
    const float value = static_cast<float>(timeline.valueAt(track, row));
    if (timeline.setKey(track, sync_key{row, value, kind}).empty())
        timeline.getSelection() = {{track, row}};
}

// The one selected key's row, value and kind, typed; an entry that cannot
// be taken says why beside the field and changes nothing.
void TimelinePanel::buildKeyField()
{
    const std::set<Timeline::KeyRef>& selection = timeline.getSelection();
    const TrackDocument& document = timeline.getDocument();
    if (selection.size() != 1) {
        ImGui::TextUnformatted(document.isReadOnly() ? "read-only: the track text has errors"
                                                     : "Tab hides; click or drag to select keys");
        fieldKeyTrack = -1;
        return;
    }
    const auto [track, row] = *selection.begin();
    const sync_key* key = document.findKey(track, row);
    if (!key)
        return;
    const std::string& name = document.tracks()[static_cast<size_t>(track)].name;
    if (fieldKeyTrack != track || fieldKeyRow != row) {
        std::snprintf(rowText, sizeof rowText, "%s", TrackText::formatRow(row).c_str());
        std::snprintf(valueText, sizeof valueText, "%s", TrackText::formatValue(key->value).c_str());
        fieldKeyTrack = track;
        fieldKeyRow = row;
        fieldProblem.clear();
    }
    const auto run = [&](std::vector<std::string> words) {
        fieldProblem = timeline.Execute(words);
        if (fieldProblem.empty() && words[0] == "key-move") {
            int32_t moved = row;
            TrackText::parseRow(words[3], moved);
            timeline.getSelection() = {{track, moved}};
        }
    };
    ImGui::Text("%s", name.c_str());
    ImGui::SameLine();
    ImGui::SetNextItemWidth(90.0f);
    if (ImGui::InputText("row", rowText, sizeof rowText, ImGuiInputTextFlags_EnterReturnsTrue))
        run({"key-move", name, TrackText::formatRow(row), rowText});
    ImGui::SameLine();
    ImGui::SetNextItemWidth(90.0f);
    if (ImGui::InputText("value", valueText, sizeof valueText, ImGuiInputTextFlags_EnterReturnsTrue))
        run({"key-set", name, TrackText::formatRow(row), valueText});
    ImGui::SameLine();
    int kind = key->kind;
    ImGui::SetNextItemWidth(80.0f);
    if (ImGui::Combo("kind", &kind, kKinds))
        run({"key-set", name, TrackText::formatRow(row), TrackText::formatValue(key->value),
             TrackText::kindName(static_cast<sync_key_kind>(kind))});
    if (!fieldProblem.empty()) {
        ImGui::SameLine();
        ImGui::TextColored(ImGui::ColorConvertU32ToFloat4(kProblem), "%s", fieldProblem.c_str());
    }
}
