#include "devPlayer.h"

#include "commandInput.h"
#include "liveReload.h"
#include "readout.h"

#include "kelvandrixScene.h"

#include "vroAudio.h"
#include "vroEngine.h"
#include "vroFSQuad.h"
#include "vroGpuTimer.h"
#include "vroTimer.h"
#include "vroWindow.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include <GLFW/glfw3.h>

namespace {

const char* partName(float value)
{
    // A value beyond int, such as 1e30 in the track text, picks no scene.
    switch (truncateTrackValue(value).value_or(-1)) {
    case 0: return "titles";
    case 1: return "cubes";
    case 2: return "greetings";
    case 3: return "pyramids";
    case 9: return "closing";
    default: return "background";
    }
}

// The command a key stands for; empty for keys without one.
std::string commandOfKey(int key, int mods)
{
    const bool shift = (mods & GLFW_MOD_SHIFT) != 0;
    switch (key) {
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

DevPlayer::DevPlayer(const DevOptions& options)
    : commands(options.commandFile.empty() ? nullptr : std::make_unique<CommandInput>(options.commandFile)),
      production(options.width, options.height, options.fullscreen)
{
    vroEngine& engine = production.getEngine();
    LiveReload::PrepareShaders(engine, options.sourceDir);
    production.Start();
    transport = std::make_unique<Transport>(engine);
    reload = std::make_unique<LiveReload>(engine, options.sourceDir);
    readout = std::make_unique<Readout>(engine);
    gpuTimer = std::make_unique<vroGpuTimer>();
    glfwSetWindowUserPointer(engine.window->getHandle(), this);
    glfwSetKeyCallback(engine.window->getHandle(), onKey);
    if (options.startSeconds > engine.audio->GetLength())
        std::fprintf(stderr, "dev: --start %.3f s is past the end of the music (%.3f s): holding its last frame\n",
                     options.startSeconds, engine.audio->GetLength());
    if (options.startSeconds > 0.0)
        transport->SeekSeconds(options.startSeconds);
}

// The GL owners go before the production's engine and its context.
DevPlayer::~DevPlayer()
{
    glfwSetKeyCallback(production.getEngine().window->getHandle(), nullptr);
    readout.reset();
    gpuTimer.reset();
}

void DevPlayer::onKey(GLFWwindow* window, int key, int, int action, int mods)
{
    // Held arrows keep stepping; the other keys act once per press.
    const bool isArrow = key == GLFW_KEY_LEFT || key == GLFW_KEY_RIGHT || key == GLFW_KEY_UP || key == GLFW_KEY_DOWN;
    if (action != GLFW_PRESS && !(action == GLFW_REPEAT && isArrow))
        return;
    auto* player = static_cast<DevPlayer*>(glfwGetWindowUserPointer(window));
    const std::string command = commandOfKey(key, mods);
    if (player && !command.empty())
        player->pressed.push_back(command);
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
    production.getEngine().Update();
}

bool DevPlayer::DrawFrame()
{
    vroEngine& engine = production.getEngine();
    if (commands)
        for (std::string& line : commands->poll())
            queued.push_back(std::move(line));
    runPendingCommands();
    if (quitting || !engine.window->isOpen())
        return false;
    reload->Poll();

    const auto start = std::chrono::steady_clock::now();
    transport->BeginFrame();
    readout->setText(describe());
    gpuTimer->Begin();
    production.RunFrame();
    readout->Draw(*engine.quad);
    gpuTimer->End();
    measure(std::chrono::steady_clock::now() - start);
    return true;
}

void DevPlayer::runPendingCommands()
{
    // Keys act at once: a script waiting "frames N" does not hold up Escape.
    for (const std::string& key : pressed)
        Execute(key);
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

std::string DevPlayer::describe()
{
    vroAudio& audio = *production.getEngine().audio;
    const double row = transport->getRow();
    const long whole = static_cast<long>(std::floor(row));
    const float part = audio.getSyncValue("part");
    char text[256];
    std::string out;
    std::snprintf(text, sizeof text, "%8.3f s  %ld:%ld:%ld  part %g %s%s\n", kakRowRate > 0.0 ? row / kakRowRate : 0.0,
                  whole / Transport::kRowsPerBar, whole % Transport::kRowsPerBar / Transport::kRowsPerBeat,
                  whole % Transport::kRowsPerBeat, part, partName(part),
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
    return out + reload->getErrors();
}
