#pragma once

#include "trackDocument.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class vroAudio;

// The track text edited while the production plays: the document, what is
// selected, the clipboard, and saving to and taking from the file. Every
// edit goes to the sync tracks at once, so the next value read is what the
// production would read from the saved text. The panel and the command
// lines both edit through here; none of it draws.
class Timeline {
public:
    // A key by its track's index and its row.
    using KeyRef = std::pair<int, int32_t>;

    // Reads the file; `takeFile` is run whenever the file's text is taken
    // again (revert, or an outside change without unsaved edits), to
    // compile it into the tracks as any reload would.
    Timeline(vroAudio& audio, std::string path, std::function<void()> takeFile);

    // Whether the word starts a command of the timeline ("timeline" included).
    static bool isCommand(const std::string& word);
    // Runs one of the timeline's command lines (key-set, key-move,
    // key-delete, undo, redo, save, revert, keep: isCommand, but for
    // "timeline"); empty when done, else the one line saying why nothing
    // was done.
    std::string Execute(const std::vector<std::string>& words);
    // The watched file was written: taken when nothing is unsaved, unless it
    // is what this program saved; else a conflict for the user to settle.
    void FileChanged();

    // The lines the read-out shows: unsaved changes, a conflict, read-only.
    std::string describe() const;

    const TrackDocument& getDocument() const { return document; }
    bool hasConflict() const { return conflict; }
    // The last row of the tune: new keys go from row 0 to here.
    int32_t lastRow() const;
    // The track's value at a row, as the sync player evaluates its keys.
    double valueAt(int track, double row) const;

    // Edits of the panel; each one step unless in a drag.
    std::string setKey(int track, const sync_key& key);
    void beginDrag();
    // Moves the dragged selection by rows from where the drag began, as far
    // as the keys it would pass and the tune allow, and changes the values
    // by valueChange, rounded to multiples of valueStep when that is given.
    void dragTo(int32_t rows, float valueChange, double valueStep = 0.0);
    void endDrag();
    void deleteSelection();
    void cycleKindOfSelection();
    void copySelection();
    // The copied keys at rows counted from the first of them, from row on.
    void paste(int32_t row);
    bool undo();
    bool redo();
    std::string save();
    std::string revert();

    std::set<KeyRef>& getSelection() { return selection; }

private:
    void publish();
    void editSelection(const std::function<void(int track, const sync_key& key)>& edit);
    std::string keyCommand(const std::vector<std::string>& words);
    std::string checkRow(int32_t row) const;
    void take(const std::string& text);

    vroAudio& audio;
    std::string path;
    std::function<void()> takeFile;
    TrackDocument document;
    std::string diskText; // the file's text as last read or written here
    bool conflict = false;
    std::set<KeyRef> selection;
    std::vector<std::pair<KeyRef, sync_key>> dragStart; // the dragged keys as they were
    int64_t dragShift = 0;                               // rows they are moved by now
    float dragValueChange = 0.0f;
    std::vector<std::pair<int, sync_key>> clipboard;
};
