#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace testing_support {

// A program run by a test, with its standard output and error captured into
// files, or both going into a pipe whose reader has gone (as after `| head -1`).
// It starts with every signal at its default and none blocked, whatever the
// test was started with (nohup, a CI runner ignoring SIGHUP), but for the
// signals it is asked to start ignoring. The destructor kills it and every
// process it started if it still runs, so that a test that fails midway
// leaves nothing running.
class ChildProcess {
public:
    enum class Output { Captured, IntoAPipeNobodyReads };

    ChildProcess(const std::filesystem::path& program, const std::filesystem::path& workingDir,
                 const std::vector<std::string>& arguments = {}, Output output = Output::Captured,
                 const std::vector<int>& ignoredSignals = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit status, or nothing when the program did not end in time
    // (or ended by a signal).
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool running();
    pid_t pid() const { return child; }
    std::string standardOutput() const;
    std::string standardError() const;

private:
    pid_t child = -1;
    bool reaped = false;
    int status = 0;
    std::filesystem::path outPath;
    std::filesystem::path errPath;
};

// Runs a shell command, returns its standard output.
std::string runCommand(const std::string& command);

// The process ids of a process's children, those of every thread, from /proc.
std::vector<pid_t> childrenOf(pid_t parent);

// An X server of the test's own (Xvfb, 640x480), for a test that makes its
// display go away. `number` is its display number, empty when it did not
// start within a minute.
struct OwnXServer {
    explicit OwnXServer(const std::filesystem::path& workingDir);
    ChildProcess server;
    std::string number;
};

} // namespace testing_support
