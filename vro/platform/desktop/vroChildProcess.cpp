#include "vroChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A pipe that holds a whole frame takes frame n at once, and this process
// draws frame n+1 while the program still works on n-1; a default pipe
// (64 KiB) makes every write wait for it. Linux grants unprivileged users up
// to its pipe-max-size (1 MiB unless raised), which still helps; a pipe that
// cannot grow only costs time.
void growPipe(int pipe, size_t bytes)
{
    constexpr size_t kUnprivilegedLimit = size_t{1} << 20;
    const size_t wanted = std::min<size_t>(bytes, std::numeric_limits<int>::max());
    if (fcntl(pipe, F_SETPIPE_SZ, static_cast<int>(wanted)) < 0 && wanted > kUnprivilegedLimit)
        fcntl(pipe, F_SETPIPE_SZ, static_cast<int>(kUnprivilegedLimit));
}

} // namespace

bool vroChildProcess::Start(const std::vector<std::string>& arguments, const std::filesystem::path& log,
                            std::size_t pipeBytes, std::string& problem)
{
    // Whoever started this program may have left SIGCHLD ignored; then the
    // system reaps the child itself, waitpid has no status to give, and a
    // failure would pass for success.
    signal(SIGCHLD, SIG_DFL);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        problem = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    // Opened here rather than by the spawn, whose failure would blame the program.
    const int logFile = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (logFile < 0) {
        problem = "cannot write the log \"" + log.string() + "\": " + std::strerror(errno);
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    growPipe(ends[1], pipeBytes);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, ends[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&files, logFile, STDERR_FILENO);

    // Its own process group: a Ctrl-C at the terminal is this program's to
    // handle. Default signal handling, since ignored signals survive exec.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const int failed = posix_spawnp(&child, argv[0], &files, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    close(ends[0]);
    close(logFile);
    if (failed != 0) {
        close(ends[1]);
        problem = std::strerror(failed);
        return false;
    }
    process = child;
    input = ends[1];
    return true;
}

std::ptrdiff_t vroChildProcess::Write(const std::uint8_t* bytes, std::size_t size)
{
    const ssize_t written = write(static_cast<int>(input), bytes, size);
    if (written < 0 && errno == EINTR)
        return 0;
    return written > 0 ? written : -1;
}

void vroChildProcess::CloseInput()
{
    if (input >= 0)
        close(static_cast<int>(input));
    input = -1;
}

bool vroChildProcess::Wait(const volatile std::sig_atomic_t* stop)
{
    int status = 0;
    while (waitpid(static_cast<pid_t>(process), &status, 0) < 0 && errno == EINTR)
        if (stop && *stop)
            kill(static_cast<pid_t>(process), SIGKILL); // not waited for any longer, even when stalled
    process = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void vroChildProcess::Kill()
{
    kill(static_cast<pid_t>(process), SIGKILL);
    Wait(nullptr);
}

bool vroChildProcess::isRunning() const
{
    return process > 0;
}

std::string vroChildProcess::Find(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string vroChildProcess::NotFound(const std::string& name, const std::string& package)
{
    return name + " is not installed (Debian package " + package + ")";
}
