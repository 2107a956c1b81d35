#include "commandInput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longer lines are no command: they are dropped, up to their line break,
// rather than grown without end.
constexpr size_t kLongestLine = 4096;
// Far more than any frame's commands; a source that never runs dry, such as
// /dev/zero, cannot hold up the frame.
constexpr size_t kMostBytesPerPoll = 64 * 1024;

// Whether a read would return at once, with bytes or the end.
bool isReadable(int descriptor)
{
    pollfd waiting{descriptor, POLLIN, 0};
    return ::poll(&waiting, 1, 0) > 0 && (waiting.revents & (POLLIN | POLLHUP)) != 0;
}

} // namespace

CommandInput::CommandInput(const std::string& source)
{
    if (source == "-") {
        // A closed standard input is no source: its number goes to the next
        // descriptor opened, such as the display's connection. Its flags stay
        // as they are: a terminal's are shared with the shell, which would
        // read "try again" once we are gone.
        if (fcntl(STDIN_FILENO, F_GETFL) < 0) {
            std::fprintf(stderr, "commands: standard input is closed\n");
            return;
        }
        descriptor = STDIN_FILENO;
        return;
    }
    // Read and write: a FIFO opened so never reads end-of-file between two
    // writers, and opening does not wait for the first one.
    descriptor = open(source.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        descriptor = open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        std::fprintf(stderr, "commands: cannot open \"%s\": %s\n", source.c_str(), std::strerror(errno));
        return;
    }
    ownsDescriptor = true;
    struct stat status {};
    if (fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
        std::fprintf(stderr, "commands: \"%s\" is a folder\n", source.c_str());
        close(descriptor);
        descriptor = -1;
        ownsDescriptor = false;
    }
}

CommandInput::~CommandInput()
{
    if (ownsDescriptor)
        close(descriptor);
}

std::vector<std::string> CommandInput::poll()
{
    std::vector<std::string> lines;
    char buffer[1024];
    for (size_t taken = 0; descriptor >= 0 && taken < kMostBytesPerPoll && isReadable(descriptor);) {
        const ssize_t length = read(descriptor, buffer, sizeof buffer);
        // A file's last line needs no line break: nothing more comes for now.
        if (length == 0 && (!pending.empty() || discarding))
            take("\n", 1, lines);
        if (length <= 0)
            break;
        take(buffer, static_cast<size_t>(length), lines);
        taken += static_cast<size_t>(length);
    }
    return lines;
}

void CommandInput::take(const char* bytes, size_t count, std::vector<std::string>& lines)
{
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] == '\n') {
            if (!discarding)
                lines.push_back(pending);
            pending.clear();
            discarding = false;
        } else if (!discarding && pending.size() < kLongestLine) {
            pending += bytes[i];
        } else if (!discarding) {
            std::fprintf(stderr, "commands: a line longer than %zu bytes is ignored\n", kLongestLine);
            pending.clear();
            discarding = true;
        }
    }
}
