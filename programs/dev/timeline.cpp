#include "timeline.h"

#include "trackReload.h"
#include "trackText.h"
#include "wholeFile.h"

#include "vroAudio.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>
#include <filesystem>
#include <map>

Timeline::Timeline(vroAudio& audio, std::string path, std::function<void()> takeFile)
    : audio(audio), path(std::move(path)), takeFile(std::move(takeFile))
{
    diskText = readTextFile(this->path).value_or("");
    document = TrackDocument(this->path, diskText);
}

int32_t Timeline::lastRow() const
{
    const double rows = std::floor(audio.GetLength() * kakRowRate);
    return rows < INT32_MAX ? static_cast<int32_t>(rows) : INT32_MAX;
}

double Timeline::valueAt(int track, double row) const
{
    const std::vector<sync_key>& keys = document.tracks()[static_cast<size_t>(track)].keys;
    // The player's record is not const-qualified; evaluation only reads it.
    const sync_track view{nullptr, const_cast<sync_key*>(keys.data()), static_cast<int32_t>(keys.size())};
    return sync_get_val(&view, row);
}

// Edits reach the tracks the production reads before its next value; a
// text with errors stays off them, as with any reload.
void Timeline::publish()
{
    if (document.isReadOnly())
        return;
    std::map<std::string, std::vector<sync_key>> keys;
    for (const TrackDocument::Track& track : document.tracks())
        keys[track.name] = track.keys;
    audio.replaceSyncTracks(keys);
}

std::string Timeline::checkRow(int32_t row) const
{
    if (row < 0 || row > lastRow())
        return "row " + TrackText::formatRow(row) + " is outside the tune (0 to " + TrackText::formatRow(lastRow())
            + ")";
    return {};
}

bool Timeline::isCommand(const std::string& word)
{
    for (const char* command : {"timeline", "key-set", "key-move", "key-delete", "undo", "redo", "save", "revert", "keep"})
        if (word == command)
            return true;
    return false;
}

std::string Timeline::Execute(const std::vector<std::string>& words)
{
    const std::string& command = words[0];
    if (command.rfind("key-", 0) == 0)
        return keyCommand(words);
    if (words.size() != 1)
        return "usage: " + command + ", without arguments";
    if (command == "undo")
        return undo() ? "" : "nothing to undo";
    if (command == "redo")
        return redo() ? "" : "nothing to redo";
    if (command == "save")
        return save();
    if (command == "revert")
        return revert();
    assert(command == "keep");
    if (!conflict)
        return "no change on disk to settle";
    conflict = false;
    return {};
}

std::string Timeline::keyCommand(const std::vector<std::string>& words)
{
    const std::string& command = words[0];
    const size_t arguments = words.size() - 1;
    const bool known = (command == "key-set" && (arguments == 3 || arguments == 4))
        || (command == "key-move" && arguments == 3) || (command == "key-delete" && arguments == 2);
    if (!known)
        return "usage: key-set TRACK ROW VALUE [KIND], key-move TRACK ROW NEWROW, key-delete TRACK ROW";
    const int track = document.findTrack(words[1]);
    if (track < 0)
        return "no track \"" + words[1] + "\" in " + path;
    sync_key key{};
    std::string error = TrackText::parseRow(words[2], key.row);
    if (!error.empty())
        return error;
    int32_t newRow = 0;
    if (command == "key-delete") {
        error = document.deleteKey(track, key.row);
    } else if (command == "key-move") {
        error = TrackText::parseRow(words[3], newRow);
        if (error.empty())
            error = checkRow(newRow);
        if (error.empty())
            error = document.moveKey(track, key.row, newRow);
    } else {
        error = TrackText::parseValue(words[3], key.value);
        // An existing key keeps its kind unless one is given; a new one is a step.
        const sync_key* old = document.findKey(track, key.row);
        key.kind = old ? old->kind : SYNC_KEY_STEP;
        if (error.empty() && arguments == 4)
            error = TrackText::parseKind(words[4], key.kind);
        if (error.empty())
            return setKey(track, key);
    }
    if (error.empty())
        publish();
    return error;
}

std::string Timeline::setKey(int track, const sync_key& key)
{
    std::string error = document.findKey(track, key.row) ? "" : checkRow(key.row);
    if (error.empty())
        error = document.setKey(track, key);
    if (error.empty())
        publish();
    return error;
}

void Timeline::beginDrag()
{
    dragStart.clear();
    for (const KeyRef& ref : selection)
        if (const sync_key* key = document.findKey(ref.first, ref.second))
            dragStart.push_back({ref, *key});
    document.beginStep();
}

void Timeline::dragTo(int32_t rows, float valueChange, double valueStep)
{
    if (dragStart.empty() || document.isReadOnly())
        return;
    // The keys that stay put bound the move: none of the dragged may reach one.
    int64_t low = INT64_MIN;
    int64_t high = INT64_MAX;
    for (const auto& [ref, original] : dragStart) {
        for (const sync_key& other : document.tracks()[static_cast<size_t>(ref.first)].keys) {
            if (selection.count({ref.first, other.row}))
                continue;
            if (other.row < original.row)
                low = std::max<int64_t>(low, int64_t{other.row} - original.row + 1);
            else
                high = std::min<int64_t>(high, int64_t{other.row} - original.row - 1);
        }
        if (original.row >= 0)
            low = std::max<int64_t>(low, -int64_t{original.row});
        high = std::min<int64_t>(high, int64_t{lastRow()} - original.row);
    }
    const int64_t shift = std::clamp<int64_t>(rows, std::min<int64_t>(low, 0), std::max<int64_t>(high, 0));
    if (shift == dragShift && valueChange == dragValueChange)
        return;
    // Moving up, the highest key goes first, so none lands on another still to move.
    std::vector<std::pair<KeyRef, sync_key>> order = dragStart;
    std::sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
        return shift > dragShift ? a.second.row > b.second.row : a.second.row < b.second.row;
    });
    selection.clear();
    for (const auto& [ref, original] : order) {
        sync_key key = original;
        key.row = static_cast<int32_t>(original.row + shift);
        key.value = original.value + valueChange;
        if (valueStep > 0.0 && valueChange != 0.0f)
            key.value = static_cast<float>(std::round((double{original.value} + valueChange) / valueStep) * valueStep);
        document.moveKey(ref.first, static_cast<int32_t>(original.row + dragShift), key.row);
        document.setKey(ref.first, key);
        selection.insert({ref.first, key.row});
    }
    dragShift = shift;
    dragValueChange = valueChange;
    publish();
}

void Timeline::endDrag()
{
    dragStart.clear();
    dragShift = 0;
    dragValueChange = 0.0f;
    document.endStep();
}

// Each edit of the selection is one step, whatever the number of keys.
void Timeline::editSelection(const std::function<void(int track, const sync_key& key)>& edit)
{
    document.beginStep();
    for (const KeyRef& ref : std::set<KeyRef>(selection))
        if (const sync_key* key = document.findKey(ref.first, ref.second))
            edit(ref.first, *key);
    document.endStep();
    publish();
}

void Timeline::deleteSelection()
{
    editSelection([this](int track, const sync_key& key) { document.deleteKey(track, key.row); });
    selection.clear();
}

void Timeline::cycleKindOfSelection()
{
    editSelection([this](int track, sync_key key) {
        key.kind = static_cast<sync_key_kind>((key.kind + 1) % (SYNC_KEY_RAMP + 1));
        document.setKey(track, key);
    });
}

void Timeline::copySelection()
{
    clipboard.clear();
    editSelection([this](int track, const sync_key& key) { clipboard.push_back({track, key}); });
}

void Timeline::paste(int32_t row)
{
    if (clipboard.empty())
        return;
    int32_t first = INT32_MAX;
    for (const auto& entry : clipboard)
        first = std::min(first, entry.second.row);
    document.beginStep();
    selection.clear();
    for (auto [track, key] : clipboard) {
        key.row = static_cast<int32_t>(std::min<int64_t>(int64_t{row} + key.row - first, lastRow()));
        if (document.setKey(track, key).empty())
            selection.insert({track, key.row});
    }
    document.endStep();
    publish();
}

bool Timeline::undo()
{
    const bool done = document.undo();
    selection.clear();
    publish();
    return done;
}

bool Timeline::redo()
{
    const bool done = document.redo();
    selection.clear();
    publish();
    return done;
}

std::string Timeline::save()
{
    const std::string text = document.text();
    if (!writeWholeFile(path, std::vector<std::uint8_t>(text.begin(), text.end())))
        return "cannot write " + path + ": the edits stay unsaved";
    diskText = text;
    document.markSaved();
    conflict = false;
    return {};
}

std::string Timeline::revert()
{
    const std::optional<std::string> text = readTextFile(path);
    if (!text)
        return "cannot read " + path;
    take(*text);
    return {};
}

// The file's text becomes the document's as one step, so taking it can be
// undone like any edit; the tracks come from the file as on any reload.
void Timeline::take(const std::string& text)
{
    if (text != document.text())
        document.replaceText(text);
    document.markSaved();
    diskText = text;
    conflict = false;
    selection.clear();
    takeFile();
}

void Timeline::FileChanged()
{
    const std::optional<std::string> text = readTextFile(path);
    // Our own save coming back: nothing to take.
    if (text && *text == diskText)
        return;
    // A file that cannot be read (gone, a folder in its place) leaves the
    // document as it is; the reload names the problem and keeps the tracks.
    if (!text) {
        if (!document.isModified())
            takeFile();
        return;
    }
    if (document.isModified()) {
        conflict = true;
        diskText = *text;
        return;
    }
    take(*text);
}

std::string Timeline::describe() const
{
    std::string text;
    if (conflict)
        text += "tracks: " + std::filesystem::path(path).filename().string()
            + " changed on disk: keep (Ctrl+K) keeps the edits, revert (Ctrl+R) takes the file\n";
    else if (document.isModified())
        text += "tracks: unsaved changes (Ctrl+S saves)\n";
    if (document.isReadOnly())
        text += "tracks: the timeline is read-only until the track text's errors are fixed\n";
    return text;
}
