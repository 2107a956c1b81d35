#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A program started from an argument vector (never through a shell), fed
// through a pipe to its standard input, its standard output discarded and
// its standard error written to a log file. It runs in a process group of
// its own, so that a Ctrl-C at the terminal reaches only this program, which
// decides what becomes of it. One source per platform:
// platform/desktop/vroChildProcess.cpp (POSIX) and
// platform/windows/vroChildProcess.cpp. Not built for the page.
class vroChildProcess {
public:
    vroChildProcess() = default;
    // One still running is ended.
    ~vroChildProcess()
    {
        if (isRunning())
            Kill();
        CloseInput();
    }

    vroChildProcess(const vroChildProcess&) = delete;
    vroChildProcess& operator=(const vroChildProcess&) = delete;

    // Starts arguments[0], looked up as the platform looks programs up (the
    // PATH; on Windows the working folder first), its pipe made to hold
    // `pipeBytes` where the system allows. False, with `problem` in words,
    // when the log cannot be written or the program cannot be started.
    bool Start(const std::vector<std::string>& arguments, const std::filesystem::path& log, std::size_t pipeBytes,
               std::string& problem);
    // Bytes the program took, up to `size`; 0 when a signal cut the wait
    // short before it took any; -1 when it takes no more.
    std::ptrdiff_t Write(const std::uint8_t* bytes, std::size_t size);
    // The program sees the end of its input.
    void CloseInput();
    // Waits for the program's end, ending it when `stop` is raised meanwhile.
    // True when it exited by itself with status 0.
    bool Wait(const volatile std::sig_atomic_t* stop);
    // Ends the program at once and waits for it.
    void Kill();
    bool isRunning() const;

    // The first program called `name` that Start would run, empty when there
    // is none.
    static std::string Find(const std::string& name);
    // What is wrong when Find found no `name`, in the platform's words, for
    // a message: where the program is looked for or how it is installed
    // (`package`, the system's package that has it).
    static std::string NotFound(const std::string& name, const std::string& package);

private:
    // The process and the pipe's writing end, as the platform has them.
    std::intptr_t process = -1;
    std::intptr_t input = -1;
};
