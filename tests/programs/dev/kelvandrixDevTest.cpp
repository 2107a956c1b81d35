// The development player's program run whole: what a maker meets before
// any frame, on a machine without a display, and a command file's edits.
#include "childProcess.h"
#include "testFiles.h"
#include "x11Window.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

using namespace testing_support;
using namespace std::chrono_literals;

TEST(DevProgram, WithoutADisplayOneLineSaysHowToGetOne)
{
    TempDir dir;
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    ChildProcess program(KELVANDRIX_DEV, dir.path(), {"--commands", "-"});
    const std::optional<int> status = program.waitForExit(60s);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(status, std::optional<int>(1));
    const std::string error = program.standardError();
    EXPECT_EQ(error.rfind("dev: no display to draw on (", 0), 0u) << error;
    EXPECT_NE(error.find("scripts/with-display"), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
}

// A mistyped option is one line with the player's own tag and status 2,
// before any window or file is opened.
TEST(DevProgram, ABadOptionIsOneTaggedLineAndStatusTwo)
{
    const std::vector<std::vector<std::string>> badArguments = {
        {"--bogus"}, {"--size", "0x0"}, {"--start", "soon"}, {"--source"}};
    for (const std::vector<std::string>& arguments : badArguments) {
        TempDir dir;
        ChildProcess program(KELVANDRIX_DEV, dir.path(), arguments);
        EXPECT_EQ(program.waitForExit(60s), std::optional<int>(2)) << arguments[0];
        const std::string error = program.standardError();
        EXPECT_EQ(error.rfind("dev: ", 0), 0u) << error;
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    }
}

// The timeline driven by a command file: the saved text differs from the
// production's by exactly the keys edited, and a command that cannot be done
// is one line on standard error, after which the others still run.
TEST(DevProgram, TimelineCommandsSaveTheProductionsTextChangedInTheEditedKeysOnly)
{
    TempDir source;
    const std::string original = readFile(sourceDir() / "productions/kelvandrix/tracks/kelvandrix.tracks");
    std::filesystem::create_directories(source.file("tracks"));
    source.write("tracks/kelvandrix.tracks", original);
    source.write("commands", "timeline\nkey-move part 8:0:0 8:1:0\nkey-set shader_A 9:0:0 0.75 linear\n"
                             "key-move part 8:1:0 30:0:0\nundo\nredo\nsave\nframes 5\nquit\n");
    ChildProcess program(KELVANDRIX_DEV, runDir(),
                         {"--source", source.path().string(), "--commands", source.file("commands").string()});
    ASSERT_EQ(program.waitForExit(60s), std::optional<int>(0)) << program.standardError();
    const std::string said = program.standardError();
    EXPECT_NE(said.find("dev: key-move: row 30:0:0 is not before the next key's row 24:0:0\n"), std::string::npos)
        << said;
    std::istringstream saidLines(said);
    int refusals = 0;
    for (std::string line; std::getline(saidLines, line);)
        refusals += line.rfind("dev: ", 0) == 0;
    EXPECT_EQ(refusals, 1) << said;

    // What was, with the part key moved on its own line and the new key in
    // its track's block after the key before it, shaped like that one.
    std::string expected = original;
    expected.replace(expected.find("8:0:0       1     step"), 5, "8:1:0");
    const std::string before = "track shader_A\n8:0:0     0     step\n";
    ASSERT_NE(expected.find(before), std::string::npos);
    expected.insert(expected.find(before) + before.size(), "9:0:0     0.75  linear\n");
    EXPECT_EQ(readFile(source.file("tracks/kelvandrix.tracks")), expected);
}

// Keys and the mouse on the program's window: over the last lane, I inserts
// a key of its track at the playhead with the value the track has there and
// the kind of the key before; dragged up with Ctrl held, its value grows and
// its row stays; Ctrl+S saves it and Escape quits.
TEST(DevProgram, OverTheTimelineIInsertsAKeyACtrlDragRaisesItAndCtrlSSavesIt)
{
    TempDir source;
    std::filesystem::create_directories(source.file("tracks"));
    const std::string tracks = "track part\n0:0:0 1 step\ntrack shader_D\n0:0:0 0 step\n2:0:0 1 linear\n4:0:0 0 step\n";
    source.write("tracks/kelvandrix.tracks", tracks);
    source.write("commands", "pause\nseek-bar 3\ntimeline\n");
    ChildProcess program(KELVANDRIX_DEV, runDir(),
                         {"--source", source.path().string(), "--commands", source.file("commands").string()});
    const unsigned long window = findWindow("KELVANDRIX", 60s);
    ASSERT_NE(window, 0u) << program.standardError();
    // The panel is up once its red playhead crosses the bottom lane.
    ScreenReader screen;
    const auto panelShown = [&] {
        const Screenshot row = screen.grab(0, 700, 1280, 1);
        for (int x = 0; x < row.width; ++x)
            if (row.at(x, 0)[0] > 200 && row.at(x, 0)[1] < 80 && row.at(x, 0)[2] < 80)
                return true;
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!panelShown() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(panelShown()) << program.standardError();
    const std::string id = std::to_string(window);
    // The window's bottom row of lanes, above the panel's margin; the panel
    // reads where the mouse is once a frame.
    runCommand("xdotool windowfocus --sync " + id + " mousemove --window " + id + " 640 700 sleep 1 key i sleep 1");
    // The new key is the selected one, drawn in amber.
    const Screenshot panel = screen.grab();
    int keyX = 0, keyY = 0, amber = 0;
    for (int y = 400; y < panel.height; ++y)
        for (int x = 0; x < panel.width; ++x)
            if (panel.at(x, y)[0] > 240 && std::abs(panel.at(x, y)[1] - 200) < 20 && panel.at(x, y)[2] < 80) {
                keyX += x;
                keyY += y;
                ++amber;
            }
    ASSERT_GT(amber, 0) << "no key was inserted: " << program.standardError();
    const std::string at = std::to_string(keyX / amber) + " ";
    runCommand("xdotool mousemove --window " + id + " " + at + std::to_string(keyY / amber) + " keydown ctrl "
               "mousedown 1 sleep 0.3 mousemove --window " + id + " " + at + std::to_string(keyY / amber - 10)
               + " sleep 0.3 mousemove --window " + id + " " + at + std::to_string(keyY / amber - 20)
               + " sleep 0.5 mouseup 1 keyup ctrl key ctrl+s sleep 1 key Escape");
    ASSERT_EQ(program.waitForExit(30s), std::optional<int>(0)) << program.standardError();
    const std::string saved = readFile(source.file("tracks/kelvandrix.tracks"));
    const std::string before = "track part\n0:0:0 1 step\ntrack shader_D\n0:0:0 0 step\n2:0:0 1 linear\n3:0:0 ";
    const std::string after = " linear\n4:0:0 0 step\n";
    ASSERT_TRUE(saved.rfind(before, 0) == 0 && saved.size() > before.size() + after.size()
                && saved.compare(saved.size() - after.size(), after.size(), after) == 0)
        << saved << program.standardError();
    const double value = std::stod(saved.substr(before.size(), saved.size() - before.size() - after.size()));
    EXPECT_GT(value, 0.55) << "dragged up from 0.5";
    EXPECT_LT(value, 0.95) << "dragged up from 0.5 by a fifth of the lane";
}
