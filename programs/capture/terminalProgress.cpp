#include "terminalProgress.h"

#include <algorithm>
#include <cmath>

#include <unistd.h>

namespace {

constexpr int kBarWidth = 24;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string clock(double seconds)
{
    const long whole = std::lround(std::max(0.0, seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

} // namespace

TerminalProgress::TerminalProgress(std::FILE* stream, long total, std::string unit)
    : TerminalProgress(stream, total, std::move(unit), isatty(fileno(stream)) == 1)
{
}

TerminalProgress::TerminalProgress(std::FILE* stream, long total, std::string unit, bool terminal)
    : stream(stream),
      total(std::max(total, 1L)),
      unit(std::move(unit)),
      terminal(terminal),
      start(std::chrono::steady_clock::now())
{
}

TerminalProgress::~TerminalProgress()
{
    Finish();
}

std::string TerminalProgress::describe(long done, double elapsedSeconds) const
{
    const double rate = elapsedSeconds > 0.0 ? static_cast<double>(done) / elapsedSeconds : 0.0;
    const std::string left = rate > 0.0 ? clock(static_cast<double>(total - done) / rate) : "?";
    char text[160];
    std::snprintf(text, sizeof text, "%ld/%ld %s %3ld%%  %.2f %s/s  elapsed %s  left %s", done, total,
                  unit.c_str(), done * 100 / total, rate, unit.c_str(), clock(elapsedSeconds).c_str(),
                  left.c_str());
    return text;
}

void TerminalProgress::Advance(long done)
{
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - start).count();
    if (terminal) {
        // Redrawing costs little, but a terminal need not see it more than ten times a second.
        if (drawn && done < total && now - lastDraw < kRedrawInterval)
            return;
        const int filled = static_cast<int>(done * kBarWidth / total);
        std::fprintf(stream, "\r[%s%s] %s\033[K", std::string(static_cast<size_t>(filled), '#').c_str(),
                     std::string(static_cast<size_t>(kBarWidth - filled), '.').c_str(),
                     describe(done, elapsed).c_str());
        std::fflush(stream);
        drawn = true;
        lastDraw = now;
        return;
    }
    const int tenth = static_cast<int>(done * 10 / total);
    if (tenth > lastTenth) {
        lastTenth = tenth;
        std::fprintf(stream, "%s\n", describe(done, elapsed).c_str());
        std::fflush(stream);
    }
}

void TerminalProgress::Finish()
{
    if (terminal && drawn)
        std::fputc('\n', stream);
    drawn = false;
}
