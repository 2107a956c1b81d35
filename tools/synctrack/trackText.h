#pragma once

#include "sync.h"

#include <cstdint>
#include <string>
#include <vector>

// The text form of sync tracks that people edit:
//
//   # comment
//   track part
//   0:0:0       0             step
//   4:2:0       1.5           linear
//
// One key per line: row, value and kind (step, linear, smooth, ramp). A row
// is a plain row number or BAR:BEAT:ROW with 8 rows per beat and 4 beats per
// bar. Rows ascend strictly within a track; several tracks may share a file.
struct TextTrack {
    std::string name;
    std::string origin; // "file:line" of its "track" line
    int line = 0;       // the number of that line, from 1
    std::vector<sync_key> keys;
    std::vector<int> keyLines; // the line number of each key
};

class TrackText {
public:
    // Adds the tracks of one text file. Every fault found goes to errors as
    // "file:line: message"; tracks with faulty lines are still added, minus
    // those lines, so one pass reports them all.
    void parse(const std::string& fileName, const std::string& content, std::vector<std::string>& errors);

    const std::vector<TextTrack>& tracks() const { return parsed; }

    // The canonical text of one track, which parses back to the same keys.
    // The keys are as the track file reader yields them: kinds in range.
    static std::string format(const std::string& name, const sync_key* keys, int32_t keyCount);

    // Letters, digits, '_', '-' and '.': safe inside a file name.
    static bool isValidName(const std::string& name);

    // The pieces of a key line, for programs that edit keys. The parsers
    // return an empty string when they took the text, else what is wrong.
    static std::string parseRow(const std::string& text, int32_t& row);
    static std::string parseValue(const std::string& text, float& value);
    static std::string parseKind(const std::string& text, sync_key_kind& kind);
    // BAR:BEAT:ROW, a plain number when negative.
    static std::string formatRow(int32_t row);
    // The shortest text that reads back as the same float.
    static std::string formatValue(float value);
    static const char* kindName(sync_key_kind kind);

private:
    struct KeyLine {
        std::string rowText;
        int line = 0;
    };

    void parseLine(const std::vector<std::string>& words, const std::string& where, int line,
                   std::vector<std::string>& errors);
    void startTrack(const std::string& name, const std::string& where, int line, std::vector<std::string>& errors);
    void addKey(const std::vector<std::string>& words, const std::string& where, int line,
                std::vector<std::string>& errors);

    std::vector<TextTrack> parsed;
    KeyLine previousKey;
    bool inTrack = false;
};
