#include "ScoreParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "Kind.h"
#include "plainText.h"
#include "Timing.h"

namespace synth {

namespace {

std::vector<std::string> splitWords(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// A comment starts with "#" at the start of a line or after a blank; the
// "#" of a sharp such as "C#3" is part of its note.
std::string withoutComment(const std::string& text)
{
    std::size_t hash = text.find('#');
    while (hash != std::string::npos && hash > 0 && text[hash - 1] != ' ' && text[hash - 1] != '\t') {
        hash = text.find('#', hash + 1);
    }
    std::string line = text.substr(0, hash);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

bool isStepBody(const std::string& line)
{
    auto first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] == '|';
}

// A run of one-character steps such as "x...x..o" may be written without blanks.
bool isStepRun(const std::string& token)
{
    return token.find_first_not_of(".-xXo") == std::string::npos;
}

// "A4" -> 69; "C#3", "Bb2"; octaves 0 to 8.
std::optional<int> parsePitch(const std::string& text)
{
    static const int semitones[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (text.size() < 2 || text.size() > 3 || text[0] < 'A' || text[0] > 'G') {
        return std::nullopt;
    }
    int pitch = semitones[text[0] - 'A'];
    std::size_t next = 1;
    if (text[next] == '#' || text[next] == 'b') {
        pitch += text[next] == '#' ? 1 : -1;
        ++next;
    }
    if (next + 1 != text.size() || text[next] < '0' || text[next] > '8') {
        return std::nullopt;
    }
    return pitch + 12 * (text[next] - '0' + 1);
}

constexpr std::size_t maxProblems = 20;
constexpr int64_t maxSeconds = 30 * 60;
constexpr double normalVelocity = 0.8;
constexpr double accentVelocity = 1.0;
constexpr double softVelocity = 0.45;

} // namespace

ScoreParser::ScoreParser(std::string fileName) : fileName(std::move(fileName))
{
    score.master = Kind::master().defaults();
}

std::optional<Score> ScoreParser::parseFile(const std::string& path, std::vector<std::string>& errors)
{
    std::ifstream in(path, std::ios::binary);
    // A folder opens, and reads as an empty text.
    struct stat status {};
    if (!in || (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))) {
        errors.push_back(path + ":0: cannot read the score");
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    ScoreParser parser(path);
    auto score = parser.parse(text.str());
    errors.insert(errors.end(), parser.errors().begin(), parser.errors().end());
    return score;
}

std::optional<Score> ScoreParser::parse(const std::string& text)
{
    std::istringstream in(std::string(withoutByteOrderMark(text)));
    std::string line;
    while (std::getline(in, line)) {
        ++lineNumber;
        parseLine(line);
        if (gaveUp()) {
            return std::nullopt;
        }
    }
    finish();
    if (!problems.empty()) {
        return std::nullopt;
    }
    return score;
}

bool ScoreParser::gaveUp() const
{
    return problems.size() > maxProblems;
}

void ScoreParser::error(int line, const std::string& message)
{
    if (gaveUp()) {
        return;
    }
    // A run of bad steps such as "----" says the same thing once.
    std::string problem = fileName + ":" + std::to_string(line) + ": " + message;
    if (problems.empty() || problems.back() != problem) {
        problems.push_back(problem);
    }
    if (problems.size() == maxProblems) {
        // Most likely not a score at all, or one that says the same wrong
        // thing everywhere; more lines would only bury the first ones.
        problems.push_back(fileName + ":" + std::to_string(line) + ": too many problems, giving up");
    }
}

void ScoreParser::parseLine(const std::string& text)
{
    std::string line = withoutComment(text);
    if (isStepBody(line)) {
        parsePatternSteps(line);
        return;
    }
    Tokens tokens = splitWords(line);
    if (!tokens.empty()) {
        openPattern = -1;
        parseStatement(tokens);
    }
}

void ScoreParser::parseStatement(const Tokens& tokens)
{
    const std::string& keyword = tokens[0];
    if (keyword == "tempo") {
        parseTempo(tokens);
    } else if (keyword == "beats") {
        parseCount(tokens, score.beatsPerBar, 1, 16);
    } else if (keyword == "steps") {
        parseCount(tokens, score.stepsPerBeat, 1, 16);
    } else if (keyword == "bars") {
        hasBars = true;
        parseCount(tokens, score.bars, 1, 9999);
    } else if (keyword == "master") {
        parseMaster(tokens);
    } else if (keyword == "instrument") {
        parseInstrument(tokens);
    } else if (keyword == "pattern") {
        parsePattern(tokens);
    } else if (keyword == "play") {
        parsePlay(tokens);
    } else if (keyword == "ramp") {
        parseRamp(tokens);
    } else {
        error("unknown statement " + quoted(keyword) +
            " (expected tempo, beats, steps, bars, master, instrument, pattern, play or ramp)");
    }
}

bool ScoreParser::checkArguments(const Tokens& tokens, std::size_t min, std::size_t max, const char* usage)
{
    if (tokens.size() < min || tokens.size() > max) {
        error(std::string("expected ") + usage);
        return false;
    }
    return true;
}

bool ScoreParser::parseNumber(const std::string& text, double& value)
{
    const char* end = text.data() + text.size();
    auto [last, status] = std::from_chars(text.data(), end, value);
    if (status != std::errc() || last != end || !std::isfinite(value)) {
        error(quoted(text) + " is not a number");
        return false;
    }
    return true;
}

bool ScoreParser::parseInteger(const std::string& text, int& value, int min, int max)
{
    const char* end = text.data() + text.size();
    int parsed = 0;
    auto [last, status] = std::from_chars(text.data(), end, parsed);
    if (status != std::errc() || last != end) {
        error(quoted(text) + " is not a whole number");
        return false;
    }
    if (parsed < min || parsed > max) {
        error(quoted(text) + " is out of range " + std::to_string(min) + " to " + std::to_string(max));
        return false;
    }
    value = parsed;
    return true;
}

bool ScoreParser::checkName(const std::string& name, const char* what)
{
    bool valid = std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
    if (!valid || name == "master") {
        error(std::string("bad ") + what + " name " + quoted(name) +
            " (letters, digits and \"_\"; \"master\" is taken)");
        return false;
    }
    return true;
}

bool ScoreParser::checkValue(Param param, double value, int line)
{
    const ParamInfo& info = paramInfo(param);
    if (value < info.min || value > info.max) {
        std::ostringstream message;
        message << quoted(info.name) << " must be between " << info.min << " and " << info.max;
        error(line, message.str());
        return false;
    }
    return true;
}

void ScoreParser::parseTempo(const Tokens& tokens)
{
    hasTempoLine = true;
    double bpm = 0.0;
    if (!checkArguments(tokens, 2, 2, "\"tempo BEATS_PER_MINUTE\"") || !parseNumber(tokens[1], bpm)) {
        return;
    }
    if (bpm < 20.0 || bpm > 400.0) {
        error("tempo must be between 20 and 400 beats per minute");
        return;
    }
    hasTempo = true;
    score.tempoMilli = std::llround(bpm * 1000.0);
}

void ScoreParser::parseCount(const Tokens& tokens, int& value, int min, int max)
{
    if (checkArguments(tokens, 2, 2, (quoted(tokens[0]) + " and one whole number").c_str())) {
        parseInteger(tokens[1], value, min, max);
    }
}

bool ScoreParser::parseSettings(const Tokens& tokens, std::size_t first, const Kind& kind, ParamValues& values)
{
    bool ok = true;
    for (std::size_t i = first; i < tokens.size(); ++i) {
        auto equals = tokens[i].find('=');
        if (equals == std::string::npos) {
            error("expected NAME=VALUE, found " + quoted(tokens[i]));
            ok = false;
            continue;
        }
        std::string name = tokens[i].substr(0, equals);
        auto param = findParam(name);
        if (!param || !kind.accepts(*param)) {
            error(kind.name() + " has no setting " + quoted(name));
            ok = false;
            continue;
        }
        double value = 0.0;
        if (!parseNumber(tokens[i].substr(equals + 1), value) || !checkValue(*param, value, lineNumber)) {
            ok = false;
            continue;
        }
        values[paramIndex(*param)] = value;
    }
    return ok;
}

void ScoreParser::parseMaster(const Tokens& tokens)
{
    parseSettings(tokens, 1, Kind::master(), score.master);
}

void ScoreParser::parseInstrument(const Tokens& tokens)
{
    if (!checkArguments(tokens, 3, tokens.size(), "\"instrument NAME KIND [SETTING=VALUE ...]\"") ||
        !checkName(tokens[1], "instrument")) {
        return;
    }
    if (findInstrument(tokens[1]) >= 0) {
        error("instrument " + quoted(tokens[1]) + " is defined twice");
        return;
    }
    const Kind* kind = Kind::find(tokens[2]);
    if (!kind) {
        error("unknown instrument kind " + quoted(tokens[2]) + " (known: " + Kind::names() + ")");
        return;
    }
    Score::Instrument instrument{tokens[1], kind, kind->defaults()};
    if (parseSettings(tokens, 3, *kind, instrument.values)) {
        score.instruments.push_back(instrument);
    }
}

void ScoreParser::parsePattern(const Tokens& tokens)
{
    if (!checkArguments(tokens, 2, 2, "\"pattern NAME\"") || !checkName(tokens[1], "pattern")) {
        return;
    }
    if (findPattern(tokens[1]) >= 0) {
        error("pattern " + quoted(tokens[1]) + " is defined twice");
        return;
    }
    Score::Pattern pattern;
    pattern.name = tokens[1];
    pattern.line = lineNumber;
    score.patterns.push_back(pattern);
    openPattern = static_cast<int>(score.patterns.size()) - 1;
    sounding.clear();
}

void ScoreParser::parsePatternSteps(const std::string& text)
{
    if (openPattern < 0) {
        error("steps outside a pattern (start one with \"pattern NAME\")");
        return;
    }
    std::string line = text;
    std::replace(line.begin(), line.end(), '|', ' ');
    for (const std::string& token : splitWords(line)) {
        if (isStepRun(token)) {
            for (char step : token) {
                parseStep(std::string(1, step));
            }
        } else {
            parseStep(token);
        }
    }
}

void ScoreParser::parseStep(const std::string& token)
{
    Score::Pattern& pattern = score.patterns[openPattern];
    if (token == ".") {
        sounding.clear();
    } else if (token == "-") {
        holdStep();
    } else if (token == "x" || token == "X" || token == "o") {
        double velocity = token == "X" ? accentVelocity : token == "o" ? softVelocity : normalVelocity;
        pattern.hasHits = true;
        addStepNotes({Score::noPitch}, velocity);
    } else {
        std::string notes = token;
        double velocity = normalVelocity;
        if (notes.back() == '!' || notes.back() == '~') {
            velocity = notes.back() == '!' ? accentVelocity : softVelocity;
            notes.pop_back();
        }
        std::vector<int> pitches;
        std::istringstream parts(notes);
        std::string part;
        while (std::getline(parts, part, ':')) {
            auto pitch = parsePitch(part);
            if (!pitch) {
                error("bad step " + quoted(token) +
                    ": use \".\", \"-\", \"x\", \"X\", \"o\" or notes such as \"A4\", \"C#3\", \"Bb2\", "
                    "chords joined with \":\"");
                sounding.clear();
                ++pattern.steps;
                return;
            }
            pitches.push_back(*pitch);
        }
        addStepNotes(pitches, velocity);
    }
    ++pattern.steps;
}

void ScoreParser::addStepNotes(const std::vector<int>& pitches, double velocity)
{
    Score::Pattern& pattern = score.patterns[openPattern];
    sounding.clear();
    for (int pitch : pitches) {
        sounding.push_back(pattern.notes.size());
        pattern.notes.push_back({pattern.steps, 1, pitch, velocity});
    }
}

void ScoreParser::holdStep()
{
    if (sounding.empty()) {
        error("a hold \"-\" needs a note or hit right before it");
        return;
    }
    for (std::size_t note : sounding) {
        ++score.patterns[openPattern].notes[note].length;
    }
}

bool ScoreParser::parseBarRange(const std::string& text, int& firstBar, int& lastBar)
{
    auto dash = text.find('-');
    if (!parseInteger(text.substr(0, dash), firstBar, 0, 9999)) {
        return false;
    }
    lastBar = firstBar;
    if (dash != std::string::npos && !parseInteger(text.substr(dash + 1), lastBar, 0, 9999)) {
        return false;
    }
    if (lastBar < firstBar) {
        error("bar range " + quoted(text) + " runs backwards");
        return false;
    }
    return true;
}

void ScoreParser::parsePlay(const Tokens& tokens)
{
    PendingPlay play{lineNumber, 0, 0, "", ""};
    if (!checkArguments(tokens, 4, 4, "\"play BAR[-BAR] INSTRUMENT PATTERN\"") ||
        !parseBarRange(tokens[1], play.firstBar, play.lastBar)) {
        return;
    }
    play.instrument = tokens[2];
    play.pattern = tokens[3];
    pendingPlays.push_back(play);
}

void ScoreParser::parseRamp(const Tokens& tokens)
{
    PendingRamp ramp{lineNumber, 0, 0, "", "", 0.0, 0.0};
    if (!checkArguments(tokens, 6, 6, "\"ramp BAR[-BAR] INSTRUMENT|master SETTING FROM TO\"") ||
        !parseBarRange(tokens[1], ramp.firstBar, ramp.lastBar) || !parseNumber(tokens[4], ramp.from) ||
        !parseNumber(tokens[5], ramp.to)) {
        return;
    }
    ramp.target = tokens[2];
    ramp.param = tokens[3];
    pendingRamps.push_back(ramp);
}

void ScoreParser::finish()
{
    if (!hasTempoLine) {
        error("the score has no \"tempo\" line");
    }
    if (!hasBars) {
        error("the score has no \"bars\" line");
    }
    checkLength();
    checkPatterns();
    resolvePlays();
    resolveRamps();
}

// The whole song is rendered in memory (and a WAV file counts its bytes in
// 32 bits): a length far beyond any tune is refused before anything is
// allocated for it.
void ScoreParser::checkLength()
{
    if (!hasTempo || !hasBars) {
        return;
    }
    const Timing timing(score.tempoMilli, score.beatsPerBar, score.stepsPerBeat);
    const int64_t seconds = timing.sampleAtBar(score.bars) / Timing::sampleRate;
    if (seconds > maxSeconds) {
        error("the song lasts " + std::to_string(seconds / 60) + " minutes; at most " +
            std::to_string(maxSeconds / 60) + " (fewer bars or a faster tempo)");
    }
}

void ScoreParser::checkPatterns()
{
    int barSteps = score.stepsPerBar();
    for (const Score::Pattern& pattern : score.patterns) {
        if (pattern.steps == 0 || pattern.steps % barSteps != 0) {
            error(pattern.line, "pattern " + quoted(pattern.name) + " has " + std::to_string(pattern.steps) +
                " steps; a pattern fills whole bars of " + std::to_string(barSteps) + " steps");
        }
    }
}

bool ScoreParser::checkLastBar(int line, int lastBar)
{
    // A bad "bars" line has been reported already and leaves bars at 0.
    if (score.bars > 0 && lastBar >= score.bars) {
        error(line, "bar " + std::to_string(lastBar) + " is past the end (bars 0-" +
            std::to_string(score.bars - 1) + ")");
        return false;
    }
    return true;
}

void ScoreParser::resolvePlays()
{
    for (const PendingPlay& pending : pendingPlays) {
        int instrument = findInstrument(pending.instrument);
        int pattern = findPattern(pending.pattern);
        if (instrument < 0) {
            error(pending.line, "unknown instrument " + quoted(pending.instrument));
        }
        if (pattern < 0) {
            error(pending.line, "unknown pattern " + quoted(pending.pattern));
        }
        if (instrument < 0 || pattern < 0 || !checkLastBar(pending.line, pending.lastBar)) {
            continue;
        }
        if (score.instruments[instrument].kind->isTuned() && score.patterns[pattern].hasHits) {
            error(pending.line, "instrument " + quoted(pending.instrument) + " plays notes, but pattern " +
                quoted(pending.pattern) + " has hits without a pitch");
            continue;
        }
        score.plays.push_back({pending.firstBar, pending.lastBar, instrument, pattern});
    }
}

void ScoreParser::resolveRamps()
{
    for (const PendingRamp& pending : pendingRamps) {
        int target = pending.target == "master" ? Score::Ramp::master : findInstrument(pending.target);
        if (target != Score::Ramp::master && target < 0) {
            error(pending.line, "unknown instrument " + quoted(pending.target));
            continue;
        }
        const Kind& kind = target == Score::Ramp::master ? Kind::master() : *score.instruments[target].kind;
        auto param = findParam(pending.param);
        if (!param || !kind.accepts(*param)) {
            error(pending.line, kind.name() + " has no setting " + quoted(pending.param));
            continue;
        }
        if (target == Score::Ramp::master && *param != Param::Gain) {
            error(pending.line, "only the master's \"gain\" can ramp");
            continue;
        }
        if (!checkValue(*param, pending.from, pending.line) || !checkValue(*param, pending.to, pending.line) ||
            !checkLastBar(pending.line, pending.lastBar)) {
            continue;
        }
        auto overlapping = std::find_if(score.ramps.begin(), score.ramps.end(), [&](const Score::Ramp& other) {
            return other.target == target && other.param == *param && other.firstBar <= pending.lastBar &&
                pending.firstBar <= other.lastBar;
        });
        if (overlapping != score.ramps.end()) {
            error(pending.line, "ramp overlaps the one on line " + std::to_string(overlapping->line));
            continue;
        }
        score.ramps.push_back(
            {pending.line, pending.firstBar, pending.lastBar, target, *param, pending.from, pending.to});
    }
}

int ScoreParser::findInstrument(const std::string& name) const
{
    for (std::size_t i = 0; i < score.instruments.size(); ++i) {
        if (score.instruments[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ScoreParser::findPattern(const std::string& name) const
{
    for (std::size_t i = 0; i < score.patterns.size(); ++i) {
        if (score.patterns[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace synth
