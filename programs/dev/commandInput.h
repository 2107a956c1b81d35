#pragma once

#include <string>
#include <vector>

// Lines of commands from a file, a FIFO or standard input ("-"), read
// without blocking once per frame. A FIFO may be opened before anyone writes
// to it, and written to by one writer after another.
class CommandInput {
public:
    // One line on standard error when the source cannot be opened; the
    // player then simply gets no commands.
    explicit CommandInput(const std::string& source);
    ~CommandInput();

    CommandInput(const CommandInput&) = delete;
    CommandInput& operator=(const CommandInput&) = delete;

    // The whole lines that arrived since the last call.
    std::vector<std::string> poll();

private:
    // Splits what was read into lines, dropping lines that grow too long.
    void take(const char* bytes, size_t count, std::vector<std::string>& lines);

    int descriptor = -1;
    bool ownsDescriptor = false;
    std::string pending;
    bool discarding = false; // within a line too long to keep
};
