#include "trackText.h"

#include "plainText.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

constexpr int64_t kRowsPerBeat = 8;
constexpr int64_t kBeatsPerBar = 4;
constexpr int64_t kRowsPerBar = kRowsPerBeat * kBeatsPerBar;

const char* const kKindNames[] = {"step", "linear", "smooth", "ramp"};

std::vector<std::string> splitWords(std::string line)
{
    const size_t comment = line.find('#');
    if (comment != std::string::npos)
        line.erase(comment);
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

// Digits only, no sign; false when not a number or beyond int64.
bool parseDigits(const std::string& text, int64_t& number)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool fitsRow(int64_t row)
{
    return row >= INT32_MIN && row <= INT32_MAX;
}

} // namespace

std::string TrackText::parseRow(const std::string& text, int32_t& row)
{
    const size_t firstColon = text.find(':');
    if (firstColon == std::string::npos) {
        const bool negative = text[0] == '-';
        int64_t magnitude = 0;
        if (!parseDigits(negative ? text.substr(1) : text, magnitude))
            return "bad row \"" + text + "\" (a row number or BAR:BEAT:ROW)";
        const int64_t number = negative ? -magnitude : magnitude;
        if (!fitsRow(number))
            return "row " + text + " is outside the 32-bit range";
        row = static_cast<int32_t>(number);
        return {};
    }
    const size_t secondColon = text.find(':', firstColon + 1);
    int64_t bar = 0;
    int64_t beat = 0;
    int64_t rowInBeat = 0;
    if (secondColon == std::string::npos || !parseDigits(text.substr(0, firstColon), bar)
        || !parseDigits(text.substr(firstColon + 1, secondColon - firstColon - 1), beat)
        || !parseDigits(text.substr(secondColon + 1), rowInBeat))
        return "bad row \"" + text + "\" (a row number or BAR:BEAT:ROW)";
    if (beat >= kBeatsPerBar)
        return "beat " + std::to_string(beat) + " in \"" + text + "\" is outside 0..3";
    if (rowInBeat >= kRowsPerBeat)
        return "row " + std::to_string(rowInBeat) + " within the beat in \"" + text + "\" is outside 0..7";
    if (bar > (INT32_MAX - beat * kRowsPerBeat - rowInBeat) / kRowsPerBar)
        return "row " + text + " is outside the 32-bit range";
    row = static_cast<int32_t>(bar * kRowsPerBar + beat * kRowsPerBeat + rowInBeat);
    return {};
}

std::string TrackText::parseValue(const std::string& text, float& value)
{
    char* end = nullptr;
    value = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return "bad value \"" + text + "\"";
    if (!std::isfinite(value))
        return "value " + text + " is not a finite single-precision number";
    return {};
}

std::string TrackText::parseKind(const std::string& text, sync_key_kind& kind)
{
    for (int k = SYNC_KEY_STEP; k <= SYNC_KEY_RAMP; ++k) {
        if (text == kKindNames[k]) {
            kind = static_cast<sync_key_kind>(k);
            return {};
        }
    }
    return "unknown kind \"" + text + "\" (step, linear, smooth or ramp)";
}

std::string TrackText::formatRow(int32_t row)
{
    if (row < 0)
        return std::to_string(row);
    return std::to_string(row / kRowsPerBar) + ":" + std::to_string(row % kRowsPerBar / kRowsPerBeat) + ":"
        + std::to_string(row % kRowsPerBeat);
}

std::string TrackText::formatValue(float value)
{
    char text[32];
    for (int precision = 1; precision <= 9; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, static_cast<double>(value));
        const float back = std::strtof(text, nullptr);
        if (std::memcmp(&back, &value, sizeof value) == 0)
            break;
    }
    return text;
}

const char* TrackText::kindName(sync_key_kind kind)
{
    assert(kind >= SYNC_KEY_STEP && kind <= SYNC_KEY_RAMP);
    return kKindNames[kind];
}

namespace {

// Columns keep each line readable on its own; a line's width never depends
// on another line, so a changed key changes one line of a diff.
void padTo(std::string& line, size_t column)
{
    line.append(line.size() < column ? column - line.size() : 1, ' ');
}

} // namespace

bool TrackText::isValidName(const std::string& name)
{
    return !name.empty()
        && name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.")
        == std::string::npos;
}

void TrackText::parse(const std::string& fileName, const std::string& content, std::vector<std::string>& errors)
{
    inTrack = false;
    std::istringstream in(std::string(withoutByteOrderMark(content)));
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::vector<std::string> words = splitWords(line);
        if (!words.empty())
            parseLine(words, fileName + ":" + std::to_string(number), number, errors);
    }
}

void TrackText::parseLine(const std::vector<std::string>& words, const std::string& where, int line,
                          std::vector<std::string>& errors)
{
    if (words[0] == "track" && words.size() == 2)
        startTrack(words[1], where, line, errors);
    else if (words[0] == "track")
        errors.push_back(where + ": expected \"track NAME\" with a name free of spaces");
    else if (words.size() == 3)
        addKey(words, where, line, errors);
    else
        errors.push_back(where + ": expected \"track NAME\" or \"ROW VALUE KIND\"");
}

void TrackText::startTrack(const std::string& name, const std::string& where, int line,
                           std::vector<std::string>& errors)
{
    if (!isValidName(name))
        errors.push_back(where + ": bad track name \"" + name + "\" (letters, digits, '_', '-' and '.')");
    // Only the first definition is named: a name used again and again
    // would otherwise give ever more lines for each use.
    const auto first = std::find_if(parsed.begin(), parsed.end(),
                                    [&name](const TextTrack& track) { return track.name == name; });
    if (first != parsed.end())
        errors.push_back(where + ": track \"" + name + "\" is already defined at " + first->origin);
    parsed.push_back(TextTrack{name, where, line, {}, {}});
    previousKey = KeyLine{};
    inTrack = true;
}

void TrackText::addKey(const std::vector<std::string>& words, const std::string& where, int line,
                       std::vector<std::string>& errors)
{
    sync_key key{};
    std::string error = parseRow(words[0], key.row);
    if (error.empty())
        error = parseValue(words[1], key.value);
    if (error.empty())
        error = parseKind(words[2], key.kind);
    if (error.empty() && !inTrack)
        error = "key before the first \"track\" line";
    if (!error.empty()) {
        errors.push_back(where + ": " + error);
        return;
    }
    std::vector<sync_key>& keys = parsed.back().keys;
    if (!keys.empty() && key.row <= keys.back().row) {
        errors.push_back(where + ": row " + words[0] + " is not after the previous key's row " + previousKey.rowText
                         + " (line " + std::to_string(previousKey.line) + ")");
        return;
    }
    keys.push_back(key);
    parsed.back().keyLines.push_back(line);
    previousKey = KeyLine{words[0], line};
}

std::string TrackText::format(const std::string& name, const sync_key* keys, int32_t keyCount)
{
    std::string text = "track " + name + "\n";
    for (int32_t i = 0; i < keyCount; ++i) {
        std::string line = formatRow(keys[i].row);
        padTo(line, 12);
        line += formatValue(keys[i].value);
        padTo(line, 26);
        line += kindName(keys[i].kind);
        text += line + "\n";
    }
    return text;
}
