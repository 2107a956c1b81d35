// libFuzzer target: any bytes as the development player's command input,
// read from a file as --commands FILE reads it, and every line's words as
// the numbers and sizes that commands and options take. Built and run by
// scripts/fuzz, replayed from corpus/ and regressions/ by the ordinary tests.
//
// Beyond what the sanitizers catch: the lines that come out are the input's
// lines (the last one also without a line break), none dropped but those
// longer than the reader keeps; an accepted number is finite and an accepted
// whole number or size has at most six digits.

#include "commandInput.h"
#include "optionValues.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr size_t kLongestLine = 4096;
constexpr size_t kBytesPerPoll = 64 * 1024;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// One file for every input of the process, removed when it ends.
const std::string& scratchFile()
{
    static const std::string path = [] {
        char name[] = "/tmp/kelvandrix-commands-fuzz-XXXXXX";
        const int descriptor = mkstemp(name);
        require(descriptor >= 0);
        close(descriptor);
        return std::string(name);
    }();
    static const bool removedAtExit = std::atexit([] { std::remove(scratchFile().c_str()); }) == 0;
    require(removedAtExit);
    return path;
}

std::vector<std::string> linesKept(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line))
        if (line.size() <= kLongestLine)
            lines.push_back(line);
    return lines;
}

void checkValues(const std::string& word)
{
    if (const std::optional<double> number = parseNumber(word))
        require(std::isfinite(*number));
    if (const std::optional<int> whole = parseWholeNumber(word))
        require(*whole >= 0 && *whole <= 999999);
    if (const std::optional<glm::ivec2> size = parseSize(word))
        require(size->x >= 0 && size->x <= 999999 && size->y >= 0 && size->y <= 999999);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = scratchFile();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    require(file && std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fclose(file) == 0);

    CommandInput input(path);
    std::vector<std::string> lines;
    for (size_t polls = 0; polls <= size / kBytesPerPoll + 1; ++polls)
        for (std::string& line : input.poll())
            lines.push_back(std::move(line));
    require(lines == linesKept(text));

    for (const std::string& line : lines) {
        std::istringstream words(line);
        std::string word;
        while (words >> word)
            checkValues(word);
    }
    return 0;
}
