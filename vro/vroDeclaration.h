#pragma once

#include <optional>
#include <string>
#include <vector>

// What a production says about itself besides its code: the programs built
// for it take their names, window, music and part names from here. Its
// build writes it from the declaration in the production's CMakeLists.txt.
struct vroDeclaration {
    // A scene of the production, picked by a value of its "part" track; it
    // begins wherever the track takes that value, so an edit of the track
    // moves it.
    struct Part {
        int value = 0;
        std::string name;
    };

    std::string name;  // the programs': NAME, NAME-dev, NAME-capture
    std::string title; // the window's
    int width = 0;
    int height = 0;
    std::string tune;  // the music, in the run folder
    double beatsPerMinute = 0.0;
    std::vector<Part> parts;
    std::string sourceFolder; // shaders/, tracks/ and music/ of the production

    // The name of the part a "part" value picks; "background" for one that
    // picks none.
    const char* partName(float value) const;
    // Track files are BASE_TRACK.track.
    std::string trackBase() const { return name + "_sync"; }
};

// A track value truncated toward zero, or nothing when it is not a number or
// lies outside the range of a 32-bit integer: how indices are read from
// tracks.
std::optional<int> truncateTrackValue(float value);
