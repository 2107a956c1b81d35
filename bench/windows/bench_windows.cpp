// The Windows build under Wine against the Linux build on this machine, in
// one run: the frame time of each part (bench_frame.exe under Wine beside
// bench_frame, alternating round by round, both drawing on llvmpipe), the
// time from process start to the first frame of the loading bar (seen on the
// X screen, the same way for both) beside the start and exit of a program
// that does nothing, and the release's sizes. Wine runs in a
// fresh prefix of the benchmark's own (scripts/wine-prefix). On a display of
// its own, after scripts/build-windows and a cross build with
// -DKELVANDRIX_BENCH=ON:
//   scripts/with-display build/bench/bench/windows/bench_windows build/bench build/windows
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kFrameRatioTarget = 1.15;
constexpr const char* kParts[] = {"0 titles", "1 cubes", "2 greetings", "3 pyramids", "9 closing"};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// A program started from an argument vector in `folder`, in a process group
// of its own, its standard output into `output` (or discarded).
pid_t start(const std::vector<std::string>& arguments, const fs::path& folder, const fs::path& output = "/dev/null")
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return child;
}

bool finish(pid_t child)
{
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool run(const std::vector<std::string>& arguments, const fs::path& folder, const fs::path& output = "/dev/null")
{
    return finish(start(arguments, folder, output));
}

// bench_frame's "today" column: the frame in milliseconds of each part.
std::map<std::string, double> todaysFrames(const fs::path& output)
{
    std::map<std::string, double> frames;
    std::ifstream in(output);
    for (std::string line; std::getline(in, line);)
        for (const char* part : kParts) {
            double baseline = 0.0, today = 0.0;
            if (line.rfind(part, 0) == 0 && std::sscanf(line.c_str() + std::strlen(part), "%lf %lf", &baseline, &today) == 2)
                frames[part] = today;
        }
    return frames;
}

// Whether a corner of the screen is white, as the loading bar's background
// is: the bare root window of the virtual display is a weave of black and
// white, never a white square.
bool cornerIsWhite(Display* display)
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), 4, 4, 4, 4, AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool white = true;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            white = white && (XGetPixel(image, x, y) & 0xffffff) == 0xffffff;
    XDestroyImage(image);
    return white;
}

bool waitForCorner(Display* display, bool white, std::chrono::seconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (cornerIsWhite(display) != white) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

// Milliseconds a program takes from start to exit: what Wine itself costs a
// program that does nothing (the capture's --help).
double startToExit(const std::vector<std::string>& program, const fs::path& folder)
{
    const auto started = Clock::now();
    const bool done = run(program, folder);
    return done ? std::chrono::duration<double, std::milli>(Clock::now() - started).count() : -1.0;
}

// Milliseconds from starting the player to the loading bar on screen; the
// player is stopped there. Negative when it never showed.
double startToLoadingBar(Display* display, const std::vector<std::string>& player, const fs::path& folder)
{
    if (!waitForCorner(display, false, std::chrono::seconds(30)))
        return -1.0;
    const auto started = Clock::now();
    const pid_t child = start(player, folder);
    const bool shown = waitForCorner(display, true, std::chrono::seconds(60));
    const double milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    kill(-child, SIGKILL);
    waitpid(child, nullptr, 0);
    return shown ? milliseconds : -1.0;
}

std::string megabytes(const fs::path& file)
{
    std::error_code error;
    const auto bytes = fs::file_size(file, error);
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MB", error ? 0.0 : static_cast<double>(bytes) / 1e6);
    return text;
}

int usage(const char* problem)
{
    std::fprintf(stderr,
                 "bench_windows: %s\nusage: bench_windows NATIVE_BUILD WINDOWS_BUILD [ROUNDS] [STARTS]\n"
                 "  NATIVE_BUILD   a Linux build with bench/programs/bench_frame and run/\n"
                 "  WINDOWS_BUILD  the cross build (scripts/build-windows, configured with\n"
                 "                 -DKELVANDRIX_BENCH=ON) with run/bench_frame.exe\n"
                 "  ROUNDS         bench_frame runs of each, alternating (default 6: the light\n"
                 "                 parts' frames move by milliseconds from run to run)\n"
                 "  STARTS         timed starts of each player (default 5)\n",
                 problem);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 5)
        return usage("two build folders needed");
    const fs::path native = fs::absolute(argv[1]), windows = fs::absolute(argv[2]);
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 6;
    const int starts = argc > 4 ? std::atoi(argv[4]) : 5;
    const fs::path nativeRun = native / "run", windowsRun = windows / "run";
    const fs::path nativeFrame = native / "bench/programs/bench_frame";
    if (rounds < 1 || starts < 1)
        return usage("ROUNDS and STARTS are whole numbers above 0");
    for (const fs::path& file : {nativeFrame, nativeRun / "kelvandrix", windowsRun / "bench_frame.exe",
                                 windowsRun / "kelvandrix.exe"})
        if (!fs::exists(file))
            return usage(("no \"" + file.string() + "\"").c_str());
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return usage("no display (scripts/with-display gives one)");

    const fs::path work = fs::temp_directory_path() / ("kelvandrix-bench-windows-" + std::to_string(getpid()));
    const fs::path prefix = work / "wine";
    fs::create_directories(work);
    if (!run({KELVANDRIX_SOURCE_DIR "/scripts/wine-prefix", prefix.string()}, work)) {
        std::fprintf(stderr, "bench_windows: cannot make a Wine prefix in \"%s\"\n", prefix.c_str());
        return 1;
    }
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("HOME", (prefix / "home").c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    // The Wine server stays up between the runs, as Windows does.
    run({"wineserver", "-p"}, work);

    std::map<std::string, std::vector<double>> linuxFrames, wineFrames;
    bool failed = false;
    for (int round = 0; round < rounds; ++round) {
        std::fprintf(stderr, "bench_windows: frames, round %d of %d\n", round + 1, rounds);
        failed |= !run({nativeFrame.string()}, nativeRun, work / "linux.txt");
        failed |= !run({"wine", (windowsRun / "bench_frame.exe").string()}, windowsRun, work / "wine.txt");
        for (const auto& [part, ms] : todaysFrames(work / "linux.txt"))
            linuxFrames[part].push_back(ms);
        for (const auto& [part, ms] : todaysFrames(work / "wine.txt"))
            wineFrames[part].push_back(ms);
    }

    std::vector<double> linuxStarts, wineStarts, linuxFloor, wineFloor;
    // One start of each untimed: the files come into the system's cache.
    startToLoadingBar(display, {(nativeRun / "kelvandrix").string()}, nativeRun);
    startToLoadingBar(display, {"wine", (windowsRun / "kelvandrix.exe").string()}, windowsRun);
    for (int i = 0; i < starts; ++i) {
        linuxStarts.push_back(startToLoadingBar(display, {(nativeRun / "kelvandrix").string()}, nativeRun));
        wineStarts.push_back(startToLoadingBar(display, {"wine", (windowsRun / "kelvandrix.exe").string()}, windowsRun));
        linuxFloor.push_back(startToExit({(nativeRun / "kelvandrix-capture").string(), "--help"}, nativeRun));
        wineFloor.push_back(startToExit({"wine", (windowsRun / "kelvandrix-capture.exe").string(), "--help"}, windowsRun));
    }
    run({"wineserver", "-k"}, work);
    std::error_code ignored;
    fs::remove_all(work, ignored);
    XCloseDisplay(display);

    std::printf("%-26s %12s %12s %8s %8s\n", "figure", "Wine", "Linux", "ratio", "target");
    for (const char* part : kParts) {
        if (linuxFrames[part].size() != static_cast<size_t>(rounds) || wineFrames[part].size() != static_cast<size_t>(rounds)) {
            std::printf("frame ms, %-16s missing (a bench_frame run failed)\n", part);
            failed = true;
            continue;
        }
        const double wine = median(wineFrames[part]), linux = median(linuxFrames[part]);
        std::printf("frame ms, %-16s %12.1f %12.1f %8.2f %8s\n", part, wine, linux, wine / linux,
                    wine / linux <= kFrameRatioTarget ? "<= 1.15" : "> 1.15!");
    }
    bool allShown = true;
    for (const auto& [figure, wine, linux] : {std::tuple{"start to loading bar, ms", &wineStarts, &linuxStarts},
                                              std::tuple{"start to exit, --help, ms", &wineFloor, &linuxFloor}}) {
        const auto failedRun = [](double ms) { return ms < 0; };
        if (std::any_of(wine->begin(), wine->end(), failedRun) || std::any_of(linux->begin(), linux->end(), failedRun)) {
            std::printf("%-26s a run failed\n", figure);
            allShown = false;
            continue;
        }
        std::printf("%-26s %12.0f %12.0f %8.2f %8s\n", figure, median(*wine), median(*linux),
                    median(*wine) / median(*linux), "-");
    }
    std::printf("%-26s %12s\n", "kelvandrix-win64.zip", megabytes(windows / "kelvandrix-win64.zip").c_str());
    std::printf("%-26s %12s\n", "kelvandrix.exe", megabytes(windowsRun / "kelvandrix.exe").c_str());
    return failed || !allShown ? 1 : 0;
}
