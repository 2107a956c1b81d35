#include "devPlayer.h"

#include "commandInput.h"
#include "liveReload.h"
#include "readout.h"
#include "timeline.h"
#include "timelinePanel.h"

#include "vroAudio.h"
#include "vroEngine.h"
#include "vroFSQuad.h"
#include "vroGpuTimer.h"
#include "vroImGuiLayer.h"
#include "vroTimer.h"
#include "vroWindow.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include <GLFW/glfw3.h>

namespace {

// The command a key stands for; empty for keys without one.
std::string commandOfKey(int key, int mods)
{
    const bool shift = (mods & GLFW_MOD_SHIFT) != 0;
    if (mods & GLFW_MOD_CONTROL) {
        switch (key) {
        case GLFW_KEY_S: return "save";
        case GLFW_KEY_Z: return shift ? "redo" : "undo";
        case GLFW_KEY_R: return "revert";
        case GLFW_KEY_K: return "keep";
        default: return {};
        }
    }
    switch (key) {
    case GLFW_KEY_TAB: return "timeline";
    case GLFW_KEY_SPACE: return "pause";
    case GLFW_KEY_LEFT: return shift ? "bar -1" : "beat -1";
    case GLFW_KEY_RIGHT: return shift ? "bar 1" : "beat 1";
    case GLFW_KEY_UP: return "part prev";
    case GLFW_KEY_DOWN: return "part next";
    case GLFW_KEY_HOME: return "home";
    case GLFW_KEY_L: return "loop";
    case GLFW_KEY_F1: return "readout";
    case GLFW_KEY_ESCAPE: return "quit";
    default: return {};
    }
}

bool parseInteger(const std::string& text, int& value)
{
    std::istringstream in(text);
    return static_cast<bool>(in >> value) && in.peek() == std::char_traits<char>::eof();
}

bool parseSeconds(const std::string& text, double& value)
{
    std::istringstream in(text);
    return static_cast<bool>(in >> value) && in.peek() == std::char_traits<char>::eof() && std::isfinite(value);
}

} // namespace

DevPlayer::DevPlayer(const DevOptions& options, const vroDeclaration& declaration, const vroShow::Factory& create)
    : commands(options.commandFile.empty() ? nullptr : std::make_unique<CommandInput>(options.commandFile)),
      show(declaration, create, options.width, options.height, options.fullscreen)
{
    vroEngine& engine = show.getEngine();
    LiveReload::PrepareShaders(engine, options.sourceDir);
    show.Start();
    transport = std::make_unique<Transport>(engine);
    reload = std::make_unique<LiveReload>(engine, options.sourceDir, declaration.tune);
    readout = std::make_unique<Readout>(engine);
    gpuTimer = std::make_unique<vroGpuTimer>();
    glfwSetWindowUserPointer(engine.window->getHandle(), this);
    glfwSetKeyCallback(engine.window->getHandle(), onKey);
    openTimeline();
    if (options.startSeconds > engine.audio->GetLength())
        std::fprintf(stderr, "dev: --start %.3f s is past the end of the music (%.3f s): holding its last frame\n",
                     options.startSeconds, engine.audio->GetLength());
    if (options.startSeconds > 0.0)
        transport->SeekSeconds(options.startSeconds);
}

// The GL owners go before the production's engine and its context; ImGui
// gives the window back its own callbacks before they go too.
DevPlayer::~DevPlayer()
{
    panel.reset();
    imgui.reset();
    glfwSetKeyCallback(show.getEngine().window->getHandle(), nullptr);
    readout.reset();
    gpuTimer.reset();
}

// The track text of the source folder, edited in the timeline, which then
// decides whether a save of the file is taken.
void DevPlayer::openTimeline()
{
    vroEngine& engine = show.getEngine();
    const std::vector<std::string> files = reload->getTrackFiles();
    if (files.size() != 1)
        return;
    // ImGui's input callbacks go in front of the player's, which stay.
    imgui = std::make_unique<vroImGuiLayer>(*engine.window);
    timeline = std::make_unique<Timeline>(*engine.audio, files[0], [this] { reload->ApplyTracks(); });
    reload->setTrackTextHandler([this] { timeline->FileChanged(); });
    panel = std::make_unique<TimelinePanel>(*timeline, *transport, show.getDeclaration());
}

void DevPlayer::onKey(GLFWwindow* window, int key, int, int action, int mods)
{
    // Held arrows keep stepping; the other keys act once per press.
    const bool isArrow = key == GLFW_KEY_LEFT || key == GLFW_KEY_RIGHT || key == GLFW_KEY_UP || key == GLFW_KEY_DOWN;
    if (action != GLFW_PRESS && !(action == GLFW_REPEAT && isArrow))
        return;
    auto* player = static_cast<DevPlayer*>(glfwGetWindowUserPointer(window));
    // Keys typed into a field of the timeline are the field's; a hidden
    // panel's field takes none.
    if (player && player->timelineShown && player->imgui->isTyping())
        return;
    if (player && player->timelineShown && action == GLFW_PRESS && TimelinePanel::isPanelKey(key, mods)) {
        player->pressed.push_back({{}, key, mods});
        return;
    }
    const std::string command = commandOfKey(key, mods);
    if (player && !command.empty())
        player->pressed.push_back({command});
}

void DevPlayer::Run()
{
    while (Frame()) {
    }
}

bool DevPlayer::Frame()
{
    if (!DrawFrame())
        return false;
    Present();
    return true;
}

void DevPlayer::Present()
{
    show.getEngine().Update();
}

bool DevPlayer::DrawFrame()
{
    vroEngine& engine = show.getEngine();
    if (commands)
        for (std::string& line : commands->poll())
            queued.push_back(std::move(line));
    runPendingCommands();
    if (quitting || !engine.window->isOpen())
        return false;
    reload->Poll();

    const auto start = std::chrono::steady_clock::now();
    transport->BeginFrame();
    // The panel's edits and seeks come before the production reads its
    // tracks, so that this very frame shows them; it is drawn over it.
    if (timelineShown) {
        imgui->BeginFrame();
        panel->Build();
    }
    readout->setText(describe());
    gpuTimer->Begin();
    show.RunFrame();
    readout->Draw(*engine.quad);
    if (timelineShown)
        imgui->Render();
    gpuTimer->End();
    measure(std::chrono::steady_clock::now() - start);
    return true;
}

void DevPlayer::runPendingCommands()
{
    // Keys act at once: a script waiting "frames N" does not hold up Escape.
    for (const KeyPress& key : pressed) {
        if (!key.command.empty())
            Execute(key.command);
        else if (timelineShown)
            panel->Press(key.key, key.mods);
    }
    pressed.clear();
    if (framesToWait > 0) {
        --framesToWait;
        return;
    }
    size_t done = 0;
    while (done < queued.size() && framesToWait == 0 && !quitting)
        Execute(queued[done++]);
    queued.erase(queued.begin(), queued.begin() + static_cast<std::ptrdiff_t>(done));
}

void DevPlayer::measure(std::chrono::steady_clock::duration cpu)
{
    cpuMilliseconds = std::chrono::duration<double, std::milli>(cpu).count();
    while (const std::optional<vroGpuTimer::Span> span = gpuTimer->nextFinished())
        gpuMilliseconds = span->seconds * 1000.0;
    const auto now = std::chrono::steady_clock::now();
    if (lastFrame) {
        const double seconds = std::chrono::duration<double>(now - *lastFrame).count();
        if (seconds > 0.0)
            framesPerSecond = 1.0 / seconds;
    }
    lastFrame = now;
}

bool DevPlayer::Execute(const std::string& line)
{
    if (const std::optional<bool> done = executeTimeline(line))
        return *done;
    std::istringstream words(line);
    std::string command, argument, extra;
    words >> command >> argument >> extra;
    int count = 0;
    double seconds = 0.0;
    const bool none = argument.empty();
    // An empty line is no command, and no mistake either.
    if (command.empty())
        return true;
    if (!extra.empty()) {
    } else if (command == "pause" && none) {
        transport->TogglePause();
        return true;
    } else if (command == "home" && none) {
        transport->Home();
        return true;
    } else if (command == "beat" && parseInteger(argument, count)) {
        transport->StepBeats(count);
        return true;
    } else if (command == "bar" && parseInteger(argument, count)) {
        transport->StepBars(count);
        return true;
    } else if (command == "part" && (argument == "next" || argument == "prev")) {
        transport->StepPart(argument == "next" ? 1 : -1);
        return true;
    } else if (command == "seek" && parseSeconds(argument, seconds)) {
        transport->SeekSeconds(seconds);
        return true;
    } else if (command == "seek-bar" && parseInteger(argument, count)) {
        transport->SeekRow(static_cast<double>(count) * Transport::kRowsPerBar);
        return true;
    } else if (command == "loop" && none) {
        transport->MarkLoop();
        return true;
    } else if (command == "readout" && none) {
        readout->setVisible(!readout->isVisible());
        return true;
    } else if (command == "frames" && parseInteger(argument, count) && count >= 0) {
        framesToWait = count;
        return true;
    } else if (command == "quit" && none) {
        quitting = true;
        return true;
    }
    std::fprintf(stderr, "commands: not understood: \"%s\" (see --help)\n", line.c_str());
    return false;
}

std::optional<bool> DevPlayer::executeTimeline(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    if (words.empty() || !Timeline::isCommand(words[0]))
        return std::nullopt;
    std::string problem = "no track text to edit: the timeline needs a source folder with one";
    if (timeline && words[0] == "timeline") {
        problem = words.size() == 1 ? "" : "usage: timeline, without arguments";
        timelineShown = timelineShown != problem.empty();
        if (!timelineShown)
            panel->Hide();
    } else if (timeline) {
        problem = timeline->Execute(words);
    }
    if (problem.empty())
        return true;
    std::fprintf(stderr, "dev: %s: %s\n", words[0].c_str(), problem.c_str());
    return false;
}

std::string DevPlayer::describe()
{
    vroAudio& audio = *show.getEngine().audio;
    const double row = transport->getRow();
    const long whole = static_cast<long>(std::floor(row));
    const float part = audio.getSyncValue("part");
    char text[256];
    std::string out;
    std::snprintf(text, sizeof text, "%8.3f s  %ld:%ld:%ld  part %g %s%s\n", kakRowRate > 0.0 ? row / kakRowRate : 0.0,
                  whole / Transport::kRowsPerBar, whole % Transport::kRowsPerBar / Transport::kRowsPerBeat,
                  whole % Transport::kRowsPerBeat, part, show.getDeclaration().partName(part),
                  transport->hasEnded() ? "  END" : transport->isPaused() ? "  PAUSED" : "");
    out += text;
    std::snprintf(text, sizeof text, "%.0f fps  cpu %.1f ms  gpu %.1f ms\n", framesPerSecond, cpuMilliseconds,
                  gpuMilliseconds);
    out += text;
    if (const std::optional<int> start = transport->getLoopStartBar()) {
        const std::optional<int> end = transport->getLoopEndBar();
        out += "loop bar " + std::to_string(*start) + (end ? " to " + std::to_string(*end) : std::string(" to ...")) + "\n";
    }
    if (reload->isRenderingMusic())
        out += "music: rendering the score\n";
    if (timeline)
        out += timeline->describe();
    return out + reload->getErrors();
}
