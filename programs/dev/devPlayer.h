#pragma once

#include "devOptions.h"
#include "transport.h"
#include "vroShow.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CommandInput;
class LiveReload;
class Readout;
class Timeline;
class TimelinePanel;
class vroGpuTimer;
class vroImGuiLayer;

// A production played for its makers: the same show as the player's, plus
// live reload, a transport and a read-out over the picture.
// Keys and command lines both end up as commands run between two frames;
// keys do not wait for a "frames N" of the command lines.
class DevPlayer {
public:
    DevPlayer(const DevOptions& options, const vroDeclaration& declaration, const vroShow::Factory& create);
    ~DevPlayer();

    DevPlayer(const DevPlayer&) = delete;
    DevPlayer& operator=(const DevPlayer&) = delete;

    // Frames until Escape, "quit" or the window closes.
    void Run();
    // One frame: DrawFrame, then Present. False once the player should stop.
    bool Frame();
    // Commands, reloads, the production's frame and the read-out, into the
    // back buffer; false, drawing nothing, once the player should stop.
    bool DrawFrame();
    // Shows what DrawFrame drew, takes the window's events, re-bases the clock.
    void Present();
    // Runs one command line now; false, with one line on standard error,
    // for a line that is no command.
    bool Execute(const std::string& line);

    vroShow& getShow() { return show; }
    Transport& getTransport() { return *transport; }
    Readout& getReadout() { return *readout; }
    LiveReload& getLiveReload() { return *reload; }
    // Null when the source folder has no single track text to edit.
    Timeline* getTimeline() { return timeline.get(); }
    // With the timeline only.
    TimelinePanel& getTimelinePanel() { return *panel; }
    vroImGuiLayer& getImGuiLayer() { return *imgui; }
    // The read-out's text as of the last frame.
    std::string describe();

private:
    static void onKey(struct GLFWwindow* window, int key, int scancode, int action, int mods);
    void runPendingCommands();
    void openTimeline();
    // Nothing for a line that is no timeline command.
    std::optional<bool> executeTimeline(const std::string& line);
    void measure(std::chrono::steady_clock::duration cpu);

    // Opened before the production opens its window: a closed standard
    // input must be seen as closed before its number is reused.
    std::unique_ptr<CommandInput> commands;
    vroShow show;
    std::unique_ptr<Transport> transport;
    std::unique_ptr<LiveReload> reload;
    std::unique_ptr<Readout> readout;
    std::unique_ptr<vroGpuTimer> gpuTimer;
    std::unique_ptr<Timeline> timeline;
    std::unique_ptr<vroImGuiLayer> imgui;
    std::unique_ptr<TimelinePanel> panel;
    bool timelineShown = false;
    // Keys since the last frame, in order: a command, or (command empty) a
    // key of the timeline panel's.
    struct KeyPress {
        std::string command;
        int key = 0;
        int mods = 0;
    };
    std::vector<KeyPress> pressed;
    std::vector<std::string> queued;  // command lines waiting for the next frame
    int framesToWait = 0;
    bool quitting = false;
    double cpuMilliseconds = 0.0;
    double gpuMilliseconds = 0.0;
    double framesPerSecond = 0.0;
    std::optional<std::chrono::steady_clock::time_point> lastFrame;
};
