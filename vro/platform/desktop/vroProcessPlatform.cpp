#include "vroProcessPlatform.h"

#include <csignal>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

void vroProcessPlatform::Settle()
{
    // Opening takes the lowest free number, which is the stream's own: the
    // ones below it are open by then.
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (fcntl(stream, F_GETFD) < 0)
            open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    std::signal(SIGPIPE, SIG_IGN);
}

// The working folder is the one the program was started in.
std::string vroProcessPlatform::ResolveUserPath(const std::string& path)
{
    return path;
}

// Without SA_RESTART, so that a blocked write returns at once.
void vroProcessPlatform::CatchStopSignals(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // A closed terminal (SIGHUP) too: its default would end the program and
    // leave a child to finish a file nobody removes. A signal the program was
    // started ignoring stays ignored: nohup's hangup, a background job's Ctrl-C.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction inherited {};
        if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
    signal(SIGPIPE, SIG_IGN); // a vanished reader shows as a failed write
}

long vroProcessPlatform::ProcessId()
{
    return static_cast<long>(getpid());
}

bool vroProcessPlatform::CanWriteFolder(const std::filesystem::path& folder)
{
    std::error_code ignored;
    return std::filesystem::is_directory(folder, ignored) && access(folder.c_str(), W_OK | X_OK) == 0;
}

std::FILE* vroProcessPlatform::OpenFile(const std::filesystem::path& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}
