#pragma once

#include <chrono>
#include <cstdio>
#include <string>

// Progress of a long job on a stream, usually standard error: on a terminal a
// bar redrawn in place; otherwise (a log file, a pipe) one plain line every
// 10 %, so that a log never fills with control characters. Kept apart from
// the capture so that any command-line program of the project can show it.
class TerminalProgress {
public:
    TerminalProgress(std::FILE* stream, long total, std::string unit);
    // Whether the stream is a terminal is decided by the caller in tests.
    TerminalProgress(std::FILE* stream, long total, std::string unit, bool terminal);
    // Finishes: a message about a job stopped half-way starts a line of its own.
    ~TerminalProgress();

    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void Advance(long done);
    // Ends the bar's line on a terminal.
    void Finish();

    // "37/120 frames  30%  2.50 frames/s  elapsed 0:14  left 0:33", the text of one report.
    std::string describe(long done, double elapsedSeconds) const;

private:
    std::FILE* stream;
    long total;
    std::string unit;
    bool terminal;
    int lastTenth = 0;
    bool drawn = false;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point lastDraw;
};
