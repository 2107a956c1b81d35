#pragma once

#include <map>
#include <string>

// The show's calls into the page around it (index.html's script, which keeps
// window.NAME for other scripts to read, NAME the production's). The waits give the browser
// its thread back until the viewer acts.
class Page {
public:
    // The address's query, decoded: name to value.
    static std::map<std::string, std::string> Query();
    // Says on the page, under the show, what the viewer should know.
    static void Notice(const std::string& text);
    // Returns once the viewer has started the show: a click on the start
    // screen, or at once when ?autoplay is given and the browser lets sound
    // play without one.
    static void WaitForStart();
    // Returns once the viewer asks for the show to play on: from a held
    // frame, or again once it has ended.
    static void WaitForPlay();
    // "loading", "playing", "paused" or "ended".
    static void SetState(const char* state);
    // The music time of the frame just drawn, in seconds.
    static void SetTime(double seconds);
    // Keeps the frame just drawn, before it is shown, as
    // window.NAME.still (a PNG data address).
    static void KeepStill();
};
