// The real executable on a small data set made here: a few seconds of
// silence, pass-through shaders and tracks that switch the part about once a
// second with known colours. What reaches the screen is checked pixel by pixel.
#include "childProcess.h"
#include "smallDataSet.h"
#include "testFiles.h"
#include "x11Window.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

using Colour = std::tuple<int, int, int>;

// The colour of a screen that shows one colour only, judged at a few points.
std::optional<Colour> uniformColour(const Screenshot& shot)
{
    if (shot.empty())
        return std::nullopt;
    const std::uint8_t* first = shot.at(shot.width / 2, shot.height / 2);
    const int points[][2] = {{5, 5}, {shot.width - 6, 5}, {shot.width / 3, shot.height - 6}, {shot.width - 6, shot.height / 2}};
    for (const auto& point : points) {
        const std::uint8_t* other = shot.at(point[0], point[1]);
        for (int c = 0; c < 3; ++c)
            if (std::abs(other[c] - first[c]) > 2)
                return std::nullopt;
    }
    return Colour{first[0], first[1], first[2]};
}

bool seen(const std::set<Colour>& colours, Colour wanted)
{
    for (const Colour& colour : colours)
        if (std::abs(std::get<0>(colour) - std::get<0>(wanted)) <= 2 && std::abs(std::get<1>(colour) - std::get<1>(wanted)) <= 2
            && std::abs(std::get<2>(colour) - std::get<2>(wanted)) <= 2)
            return true;
    return false;
}

std::string describe(const std::set<Colour>& colours)
{
    std::string text;
    for (const auto& [r, g, b] : colours)
        text += "(" + std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b) + ") ";
    return text;
}

// Spinning processes, twice as many as there are cores, for the object's
// life: a machine busy with other work. They die with the object, and with
// the test process should it die first.
class BusyProcesses {
public:
    BusyProcesses()
    {
        const long cores = sysconf(_SC_NPROCESSORS_ONLN);
        const pid_t parent = getpid();
        for (long i = 0; i < 2 * std::max(cores, 1L); ++i) {
            const pid_t child = fork();
            if (child == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                if (getppid() != parent)
                    _exit(0);
                for (volatile unsigned long spin = 0;; spin = spin + 1) {
                }
            }
            if (child > 0)
                children.push_back(child);
        }
    }
    ~BusyProcesses()
    {
        for (pid_t child : children)
            kill(child, SIGKILL);
        for (pid_t child : children)
            waitpid(child, nullptr, 0);
    }
    BusyProcesses(const BusyProcesses&) = delete;
    BusyProcesses& operator=(const BusyProcesses&) = delete;

    size_t count() const { return children.size(); }

private:
    std::vector<pid_t> children;
};

class SmallDataRun : public ::testing::Test {
protected:
    TempDir dir;

    void SetUp() override
    {
        makeSmallDataSet(dir);
        ASSERT_TRUE(std::filesystem::exists(dir.file("tolvenmark.mp3")));
    }
};

TEST_F(SmallDataRun, EveryPartReachesTheScreenAsTheTracksSay)
{
    ChildProcess production(KELVANDRIX_EXECUTABLE, dir.path());
    ScreenReader screen;
    std::set<Colour> colours;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (production.running() && std::chrono::steady_clock::now() < deadline) {
        if (auto colour = uniformColour(screen.grab()))
            colours.insert(*colour);
        std::this_thread::sleep_for(40ms);
    }
    ASSERT_EQ(production.waitForExit(5s), std::optional<int>(0)) << production.standardError();
    EXPECT_TRUE(seen(colours, {255, 0, 0})) << "part 5 shows only the red background; saw " << describe(colours);
    EXPECT_TRUE(seen(colours, {0, 255, 0})) << "a part that is not a number shows only the background; saw "
                                            << describe(colours);
    EXPECT_TRUE(seen(colours, {128, 128, 128})) << "bg_s 0 gives the grey of bg_v; saw " << describe(colours);
    EXPECT_TRUE(seen(colours, {128, 64, 191})) << "uSyncA reaches the scene's shader; saw " << describe(colours);
    EXPECT_TRUE(seen(colours, {26, 230, 51})) << "part 3 draws its program; saw " << describe(colours);
    EXPECT_TRUE(seen(colours, {200, 100, 50})) << "part 9 shows the closing picture; saw " << describe(colours);

    std::string expected;
    for (int i = 0; i < 10; ++i)
        expected += "DEBUG: Getting track data\n";
    EXPECT_EQ(production.standardOutput(), expected);
}

// The music is the clock even when the production gets only a share of a
// core: it neither ends early (a starved stream is no reason to stop) nor
// runs on past its music.
TEST_F(SmallDataRun, EndsWithItsMusicWhileEveryCoreIsBusy)
{
    BusyProcesses busy;
    ASSERT_GE(busy.count(), 2u);
    using Clock = std::chrono::steady_clock;
    ChildProcess production(KELVANDRIX_EXECUTABLE, dir.path());
    ScreenReader screen;
    // Part 5 shows red from the first row: the first red frame comes at the
    // music's start or a little after it, never before.
    std::optional<Clock::time_point> firstRed;
    const auto deadline = Clock::now() + 90s;
    while (production.running() && Clock::now() < deadline) {
        if (!firstRed) {
            const Screenshot centre = screen.grab(600, 340, 4, 4);
            if (!centre.empty() && centre.at(0, 0)[0] > 250 && centre.at(0, 0)[1] < 5 && centre.at(0, 0)[2] < 5)
                firstRed = Clock::now();
        }
        std::this_thread::sleep_for(10ms);
    }
    const auto ended = Clock::now();
    ASSERT_EQ(production.waitForExit(5s), std::optional<int>(0)) << production.standardError();
    ASSERT_TRUE(firstRed) << "the music's first part never reached the screen";
    const double played = std::chrono::duration<double>(ended - *firstRed).count();
    // The red frame may be seen up to half a second late on a machine this
    // busy, which can only make the span shorter.
    EXPECT_GE(played, kSmallDataMusicSeconds - 0.5) << production.standardError();
    EXPECT_LE(played, kSmallDataMusicSeconds + 0.5) << production.standardError();
}

} // namespace
