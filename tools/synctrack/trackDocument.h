#pragma once

#include "sync.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One track text held for editing its keys: every line keeps its bytes, and
// an edit rewrites only the line of the key it touches, so the text written
// back differs from the one read by exactly the keys that changed. Comments,
// blank lines, spacing, number forms, CRLF line ends and a byte order mark
// are kept as they came.
//
// A text with errors is held read-only: its keys that did parse can be
// looked at, none can be changed, until a text free of errors is taken.
//
// Edits are grouped into undo steps: each edit is a step of its own unless
// it falls between beginStep and endStep (a drag with the mouse).
class TrackDocument {
public:
    struct Track {
        std::string name;
        std::vector<sync_key> keys; // ascending rows
    };

    // Where a key line's row, value, kind and comment start (npos: no comment).
    using Columns = std::array<size_t, 4>;

    static constexpr size_t kUndoSteps = 1000;

    TrackDocument() = default;
    TrackDocument(const std::string& fileName, const std::string& content);

    // The bytes to save: those read, but for the edited keys' lines.
    std::string text() const;
    const std::vector<Track>& tracks() const { return cache; }
    // The index of the track of that name, -1 when there is none.
    int findTrack(const std::string& name) const;
    // The track's key at row; null when it has none there.
    const sync_key* findKey(int track, int32_t row) const;
    // "file:line: message" lines; a text with errors is read-only.
    const std::vector<std::string>& getErrors() const { return content.errors; }
    bool isReadOnly() const { return !content.errors.empty(); }

    // Each edit returns an empty string when done, else why it was not,
    // leaving everything as it was. Rows are not checked against any tune.
    // Sets the value and kind of the key at key.row, or inserts it.
    std::string setKey(int track, const sync_key& key);
    // A key may move up to, not onto or past, its track's next keys.
    std::string moveKey(int track, int32_t row, int32_t newRow);
    std::string deleteKey(int track, int32_t row);
    // Takes a whole other text (the file as it now is on disk), as one step.
    void replaceText(const std::string& content);

    void beginStep();
    void endStep();
    bool undo();
    bool redo();
    bool canUndo() const { return position > 0; }

    // Unsaved: the text differs, by its steps, from the one last marked saved.
    bool isModified() const { return position != savedPosition; }
    void markSaved() { savedPosition = position; }

private:
    struct Line {
        std::string text;   // without its line end
        std::string ending; // "\n", "\r\n", or "" for a last line without one
        int track = -1;     // the track this line starts or holds a key of, -1 for other lines
        bool isKey = false;
        sync_key key{};
        Columns columns{}; // of a key line as read, which edits keep to
    };
    struct Content {
        std::string byteOrderMark;
        std::vector<Line> lines;
        std::vector<std::string> errors;
        std::vector<std::string> names; // track names, in order of definition
    };
    // The smallest change, undone by swapping before and after: a line
    // inserted (no before), erased (no after) or replaced, or the whole text.
    struct Change {
        enum Kind { Insert, Erase, Replace, Whole } kind;
        size_t index = 0;
        Line before, after;
        Content wholeBefore, wholeAfter;
    };
    using Step = std::vector<Change>;

    static constexpr size_t kNoStep = static_cast<size_t>(-1);

    static Content parse(const std::string& fileName, const std::string& text);
    // The index of the track's key at row, or -1.
    int indexOfKey(int track, int32_t row) const;
    std::string checkEditable(int track) const;
    // The index of the key at row of a track that can be edited, else why not.
    std::string findForEdit(int track, int32_t row, size_t& index) const;
    // Replaces the words of the key on that line that differ from the new key's.
    void replaceKeyLine(size_t line, const sync_key& key);
    std::string lineEnding() const;
    void insertKeyLine(int track, const sync_key& key);
    void record(Change change);
    // Applies the changes and keeps them as one step, or as part of the open group's.
    void record(Step changes);
    void apply(const Change& change, bool forward);
    void rebuild();

    std::string fileName;
    Content content;
    std::vector<Track> cache;                  // the keys of every track, from the lines
    std::vector<size_t> headerLines;           // the "track" line of each track
    std::vector<std::vector<size_t>> keyLines; // the line of each cached key
    std::vector<Step> steps;
    size_t position = 0; // steps before it are done, the others undone
    size_t savedPosition = 0;
    bool grouping = false;     // between beginStep and endStep
    bool groupStarted = false; // the group's step is the last one
};
