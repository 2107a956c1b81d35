#include "childProcess.h"

#include "testFiles.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <sys/wait.h>

namespace testing_support {

namespace {

// Every signal at its default and none blocked, but those asked to be ignored.
void defaultSignals(const std::vector<int>& ignored)
{
    for (int signal = 1; signal < NSIG; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP)
            std::signal(signal, SIG_DFL);
    for (int signal : ignored)
        std::signal(signal, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

bool stoppedOrGone(pid_t process)
{
    const std::string stat = readFile("/proc/" + std::to_string(process) + "/stat");
    const size_t state = stat.rfind(") ");
    return state == std::string::npos || std::string("TtZX").find(stat[state + 2]) != std::string::npos;
}

// The process and every process under it, each stopped before its children
// are listed, so that none starts another meanwhile; killed parent first,
// the children would go to init and out of reach.
std::vector<pid_t> stoppedTree(pid_t root)
{
    std::vector<pid_t> tree{root};
    for (size_t i = 0; i < tree.size(); ++i) {
        kill(tree[i], SIGSTOP);
        for (int wait = 0; wait < 100 && !stoppedOrGone(tree[i]); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (pid_t child : childrenOf(tree[i]))
            tree.push_back(child);
    }
    return tree;
}

} // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::filesystem::path& workingDir,
                           const std::vector<std::string>& arguments, Output output,
                           const std::vector<int>& ignoredSignals)
{
    const auto stem = std::filesystem::temp_directory_path() / ("kelvandrix-child-" + std::to_string(getpid()) + "-"
                                                                + std::to_string(reinterpret_cast<uintptr_t>(this)));
    outPath = stem.string() + ".out";
    errPath = stem.string() + ".err";
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());

    int unread[2] = {-1, -1};
    if (output == Output::IntoAPipeNobodyReads) {
        if (pipe(unread) != 0)
            throw std::runtime_error("pipe failed");
        close(unread[0]);
    }
    child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        if (chdir(workingDir.c_str()) != 0)
            _exit(126);
        const int out = unread[1] >= 0 ? unread[1] : open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = unread[1] >= 0 ? unread[1] : open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nothing = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || nothing < 0)
            _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        dup2(nothing, 0);
        defaultSignals(ignoredSignals);
        std::vector<char*> raw;
        for (auto& argument : argv)
            raw.push_back(argument.data());
        raw.push_back(nullptr);
        execv(raw[0], raw.data());
        _exit(127);
    }
    if (unread[1] >= 0)
        close(unread[1]);
}

ChildProcess::~ChildProcess()
{
    if (!reaped && child > 0) {
        for (pid_t process : stoppedTree(child))
            kill(process, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove(outPath, ignored);
    std::filesystem::remove(errPath, ignored);
}

bool ChildProcess::running()
{
    if (reaped)
        return false;
    if (waitpid(child, &status, WNOHANG) == child)
        reaped = true;
    return !reaped;
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (running()) {
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!WIFEXITED(status))
        return std::nullopt;
    return WEXITSTATUS(status);
}

std::string ChildProcess::standardOutput() const
{
    return readFile(outPath);
}

std::string ChildProcess::standardError() const
{
    return readFile(errPath);
}

std::string runCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    std::array<char, 4096> buffer;
    size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), got);
    pclose(pipe);
    return output;
}

std::vector<pid_t> childrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    // A process that ends meanwhile has no more children to list.
    std::error_code gone;
    for (std::filesystem::directory_iterator thread("/proc/" + std::to_string(parent) + "/task", gone);
         !gone && thread != std::filesystem::directory_iterator(); thread.increment(gone)) {
        std::ifstream list(thread->path() / "children");
        for (pid_t child; list >> child;)
            children.push_back(child);
    }
    return children;
}

OwnXServer::OwnXServer(const std::filesystem::path& workingDir)
    : server("/usr/bin/env", workingDir, {"Xvfb", "-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"})
{
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (server.standardOutput().find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    number = server.standardOutput().substr(0, server.standardOutput().find('\n'));
}

} // namespace testing_support
