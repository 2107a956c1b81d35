// scripts/with-display where no display answers, so that it starts a server
// of its own for the command.
#include "childProcess.h"
#include "testFiles.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

// Running or asleep: neither gone nor a zombie waiting for its parent.
bool alive(pid_t process)
{
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const auto afterName = line.rfind(')');
    return afterName != std::string::npos && afterName + 2 < line.size() && line[afterName + 2] != 'Z';
}

bool isTheCommand(pid_t process)
{
    std::ifstream name("/proc/" + std::to_string(process) + "/comm");
    std::string command;
    return std::getline(name, command) && command == "sleep";
}

// A stop signal, a closed terminal's included, ends the command and the
// server with the script; in the foreground they ran on without it.
TEST(WithDisplay, AStopSignalEndsTheCommandAndTheServerToo)
{
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    for (int signal : {SIGTERM, SIGHUP}) {
        TempDir dir;
        unsetenv("DISPLAY");
        ChildProcess script(KELVANDRIX_SOURCE_DIR "/scripts/with-display", dir.path(), {"sleep", "60"});
        if (!display.empty())
            setenv("DISPLAY", display.c_str(), 1);
        // Both under way: the server, and the command once the server answers.
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        std::vector<pid_t> started;
        while (std::chrono::steady_clock::now() < deadline && script.running()) {
            started = childrenOf(script.pid());
            if (started.size() == 2 && std::any_of(started.begin(), started.end(), isTheCommand))
                break;
            std::this_thread::sleep_for(20ms);
        }
        ASSERT_EQ(started.size(), 2u) << script.standardError();
        ASSERT_TRUE(std::any_of(started.begin(), started.end(), isTheCommand));
        kill(script.pid(), signal);
        EXPECT_EQ(script.waitForExit(10s), std::optional<int>(128 + signal)) << "signal " << signal;
        for (pid_t child : started) {
            EXPECT_FALSE(alive(child)) << "signal " << signal << ": process " << child << " runs on";
            if (alive(child))
                kill(child, SIGKILL);
        }
    }
}

} // namespace
