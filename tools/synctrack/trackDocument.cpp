#include "trackDocument.h"

#include "trackText.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

struct Word {
    size_t start = 0;
    size_t length = 0;
};

// Where the row, value and kind stand on a key line; a key line has exactly
// these three words before any comment.
std::vector<Word> keyWords(const std::string& text)
{
    std::vector<Word> words;
    const size_t end = std::min(text.find('#'), text.size());
    for (size_t at = 0; at < end;) {
        const size_t start = text.find_first_not_of(" \t\r\v\f", at);
        if (start >= end)
            break;
        const size_t stop = std::min(text.find_first_of(" \t\r\v\f", start), end);
        words.push_back(Word{start, stop - start});
        at = stop;
    }
    return words;
}

bool sameValue(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A row in the form the line already used: a plain number stays one.
std::string rowLike(const std::string& old, int32_t row)
{
    return old.find(':') == std::string::npos ? std::to_string(row) : TrackText::formatRow(row);
}

// Where the row, value, kind and comment start on a key line as read.
TrackDocument::Columns columnsOf(const std::string& text)
{
    const std::vector<Word> words = keyWords(text);
    return {words[0].start, words[1].start, words[2].start, text.find('#')};
}

// The line's text with the key's words in place of the old key's, where
// they differ. The spaces before the next word take up a difference in
// length, so that the words and the comment after it start in the columns
// the line was read with, as far as they can; other separators (tabs) stay.
std::string rewritten(std::string text, const TrackDocument::Columns& columns, const sync_key& old,
                      const sync_key& key)
{
    for (size_t i = 0; i < 3; ++i) {
        std::vector<Word> words = keyWords(text);
        const std::string current = text.substr(words[i].start, words[i].length);
        const std::string replacement = i == 0 ? (key.row != old.row ? rowLike(current, key.row) : current)
            : i == 1 ? (sameValue(key.value, old.value) ? current : TrackText::formatValue(key.value))
                     : (key.kind != old.kind ? TrackText::kindName(key.kind) : current);
        text.replace(words[i].start, words[i].length, replacement);
        const size_t end = words[i].start + replacement.size();
        const size_t next = i < 2 ? keyWords(text)[i + 1].start : text.find('#');
        if (next == std::string::npos || columns[i + 1] == std::string::npos
            || text.find_first_not_of(' ', end) != next)
            continue;
        const size_t spaces = columns[i + 1] > end ? columns[i + 1] - end : 1;
        text.replace(end, next - end, spaces, ' ');
    }
    return text;
}

// The canonical line of a key, for a track that has no key line to model one on.
std::string canonicalLine(const sync_key& key)
{
    const std::string track = TrackText::format("t", &key, 1);
    const size_t start = track.find('\n') + 1;
    return track.substr(start, track.size() - start - 1);
}

} // namespace

TrackDocument::TrackDocument(const std::string& name, const std::string& text)
    : fileName(name), content(parse(name, text))
{
    rebuild();
}

TrackDocument::Content TrackDocument::parse(const std::string& fileName, const std::string& text)
{
    Content parsed;
    size_t at = 0;
    if (text.compare(0, 3, kByteOrderMark) == 0) {
        parsed.byteOrderMark = kByteOrderMark;
        at = 3;
    }
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        Line line;
        if (end == std::string::npos) {
            line.text = text.substr(at);
            at = text.size();
        } else {
            const bool crlf = end > at && text[end - 1] == '\r';
            line.text = text.substr(at, end - at - (crlf ? 1 : 0));
            line.ending = crlf ? "\r\n" : "\n";
            at = end + 1;
        }
        parsed.lines.push_back(std::move(line));
    }
    TrackText trackText;
    trackText.parse(fileName, text, parsed.errors);
    for (const TextTrack& track : trackText.tracks()) {
        const int index = static_cast<int>(parsed.names.size());
        parsed.names.push_back(track.name);
        parsed.lines[static_cast<size_t>(track.line - 1)].track = index;
        for (size_t k = 0; k < track.keys.size(); ++k) {
            Line& line = parsed.lines[static_cast<size_t>(track.keyLines[k] - 1)];
            line.track = index;
            line.isKey = true;
            line.key = track.keys[k];
            line.columns = columnsOf(line.text);
        }
    }
    return parsed;
}

std::string TrackDocument::text() const
{
    std::string out = content.byteOrderMark;
    for (const Line& line : content.lines)
        out += line.text + line.ending;
    return out;
}

int TrackDocument::findTrack(const std::string& name) const
{
    for (size_t i = 0; i < cache.size(); ++i)
        if (cache[i].name == name)
            return static_cast<int>(i);
    return -1;
}

int TrackDocument::indexOfKey(int track, int32_t row) const
{
    const std::vector<sync_key>& keys = cache[static_cast<size_t>(track)].keys;
    const auto found = std::lower_bound(keys.begin(), keys.end(), row,
                                        [](const sync_key& key, int32_t wanted) { return key.row < wanted; });
    return found != keys.end() && found->row == row ? static_cast<int>(found - keys.begin()) : -1;
}

const sync_key* TrackDocument::findKey(int track, int32_t row) const
{
    const int index = indexOfKey(track, row);
    return index < 0 ? nullptr : &cache[static_cast<size_t>(track)].keys[static_cast<size_t>(index)];
}

std::string TrackDocument::checkEditable(int track) const
{
    if (isReadOnly())
        return "the track text has errors and is read-only until they are fixed";
    if (track < 0 || static_cast<size_t>(track) >= cache.size())
        return "no such track";
    return {};
}

std::string TrackDocument::findForEdit(int track, int32_t row, size_t& index) const
{
    if (std::string problem = checkEditable(track); !problem.empty())
        return problem;
    const int found = indexOfKey(track, row);
    if (found < 0)
        return "no key at row " + TrackText::formatRow(row);
    index = static_cast<size_t>(found);
    return {};
}

std::string TrackDocument::setKey(int track, const sync_key& key)
{
    if (std::string problem = checkEditable(track); !problem.empty())
        return problem;
    if (key.kind < SYNC_KEY_STEP || key.kind > SYNC_KEY_RAMP)
        return "no such kind";
    const int index = indexOfKey(track, key.row);
    if (index < 0)
        insertKeyLine(track, key);
    else
        replaceKeyLine(keyLines[static_cast<size_t>(track)][static_cast<size_t>(index)], key);
    rebuild();
    return {};
}

void TrackDocument::replaceKeyLine(size_t line, const sync_key& key)
{
    Change change{Change::Replace, line, content.lines[line], content.lines[line], {}, {}};
    change.after.text = rewritten(change.before.text, change.before.columns, change.before.key, key);
    change.after.key = key;
    if (change.after.text != change.before.text)
        record(std::move(change));
}

// After the track's last key below the row, else before its first key, else
// right after its "track" line; shaped like the key line it goes beside.
void TrackDocument::insertKeyLine(int track, const sync_key& key)
{
    const std::vector<sync_key>& keys = cache[static_cast<size_t>(track)].keys;
    const std::vector<size_t>& lines = keyLines[static_cast<size_t>(track)];
    const size_t below = static_cast<size_t>(
        std::lower_bound(keys.begin(), keys.end(), key.row,
                         [](const sync_key& k, int32_t row) { return k.row < row; })
        - keys.begin());
    size_t index = headerLines[static_cast<size_t>(track)] + 1;
    Line line;
    line.track = track;
    line.isKey = true;
    line.key = key;
    if (!keys.empty()) {
        const size_t model = below > 0 ? lines[below - 1] : lines[0];
        index = below > 0 ? model + 1 : model;
        const Line& modelLine = content.lines[model];
        const std::string withoutComment = modelLine.text.substr(0, modelLine.text.find('#'));
        line.text = rewritten(withoutComment, modelLine.columns, modelLine.key, key);
        line.text.erase(line.text.find_last_not_of(" \t") + 1);
        line.columns = modelLine.columns;
        line.columns[3] = std::string::npos;
    } else {
        line.text = canonicalLine(key);
        line.columns = columnsOf(line.text);
    }
    line.ending = lineEnding();
    Step step;
    // A last line without a line end gets one, and the new line goes without.
    if (index == content.lines.size() && content.lines[index - 1].ending.empty()) {
        step.push_back(Change{Change::Replace, index - 1, content.lines[index - 1], content.lines[index - 1], {}, {}});
        step.back().after.ending = line.ending;
        line.ending.clear();
    }
    step.push_back(Change{Change::Insert, index, {}, std::move(line), {}, {}});
    record(std::move(step));
}

// The line end the text uses; a text without any gets "\n".
std::string TrackDocument::lineEnding() const
{
    for (const Line& line : content.lines)
        if (!line.ending.empty())
            return line.ending;
    return "\n";
}

std::string TrackDocument::moveKey(int track, int32_t row, int32_t newRow)
{
    size_t i = 0;
    if (std::string problem = findForEdit(track, row, i); !problem.empty())
        return problem;
    const std::vector<sync_key>& keys = cache[static_cast<size_t>(track)].keys;
    if (i > 0 && newRow <= keys[i - 1].row)
        return "row " + TrackText::formatRow(newRow) + " is not after the previous key's row "
            + TrackText::formatRow(keys[i - 1].row);
    if (i + 1 < keys.size() && newRow >= keys[i + 1].row)
        return "row " + TrackText::formatRow(newRow) + " is not before the next key's row "
            + TrackText::formatRow(keys[i + 1].row);
    sync_key moved = keys[i];
    moved.row = newRow;
    replaceKeyLine(keyLines[static_cast<size_t>(track)][i], moved);
    rebuild();
    return {};
}

std::string TrackDocument::deleteKey(int track, int32_t row)
{
    size_t index = 0;
    if (std::string problem = findForEdit(track, row, index); !problem.empty())
        return problem;
    const size_t line = keyLines[static_cast<size_t>(track)][index];
    record(Change{Change::Erase, line, content.lines[line], {}, {}, {}});
    rebuild();
    return {};
}

void TrackDocument::replaceText(const std::string& text)
{
    Content replacement = parse(fileName, text);
    record(Change{Change::Whole, 0, {}, {}, content, std::move(replacement)});
    rebuild();
}

void TrackDocument::beginStep()
{
    grouping = true;
    groupStarted = false;
}

void TrackDocument::endStep()
{
    grouping = false;
    groupStarted = false;
}

void TrackDocument::record(Change change)
{
    record(Step{std::move(change)});
}

void TrackDocument::record(Step changes)
{
    for (const Change& change : changes)
        apply(change, true);
    if (grouping && groupStarted) {
        steps.back().insert(steps.back().end(), changes.begin(), changes.end());
        return;
    }
    groupStarted = grouping;
    // A new step drops the undone ones, and with them a saved state among them.
    if (savedPosition != kNoStep && savedPosition > position)
        savedPosition = kNoStep;
    steps.resize(position);
    steps.push_back(std::move(changes));
    ++position;
    if (steps.size() > kUndoSteps) {
        steps.erase(steps.begin());
        --position;
        savedPosition = savedPosition == 0 || savedPosition == kNoStep ? kNoStep : savedPosition - 1;
    }
}

bool TrackDocument::undo()
{
    endStep();
    if (position == 0)
        return false;
    --position;
    const Step& step = steps[position];
    for (auto change = step.rbegin(); change != step.rend(); ++change)
        apply(*change, false);
    rebuild();
    return true;
}

bool TrackDocument::redo()
{
    endStep();
    if (position == steps.size())
        return false;
    for (const Change& change : steps[position])
        apply(change, true);
    ++position;
    rebuild();
    return true;
}

void TrackDocument::apply(const Change& change, bool forward)
{
    std::vector<Line>& lines = content.lines;
    const auto at = lines.begin() + static_cast<std::ptrdiff_t>(change.index);
    const bool inserting = (change.kind == Change::Insert) == forward;
    switch (change.kind) {
    case Change::Insert:
    case Change::Erase:
        if (inserting)
            lines.insert(at, change.kind == Change::Insert ? change.after : change.before);
        else
            lines.erase(at);
        break;
    case Change::Replace:
        *at = forward ? change.after : change.before;
        break;
    case Change::Whole:
        content = forward ? change.wholeAfter : change.wholeBefore;
        break;
    }
}

void TrackDocument::rebuild()
{
    const size_t count = content.names.size();
    cache.assign(count, Track{});
    headerLines.assign(count, 0);
    keyLines.assign(count, {});
    for (size_t i = 0; i < count; ++i)
        cache[i].name = content.names[i];
    for (size_t i = 0; i < content.lines.size(); ++i) {
        const Line& line = content.lines[i];
        if (line.track < 0)
            continue;
        const size_t track = static_cast<size_t>(line.track);
        if (!line.isKey) {
            headerLines[track] = i;
            continue;
        }
        cache[track].keys.push_back(line.key);
        keyLines[track].push_back(i);
    }
}
