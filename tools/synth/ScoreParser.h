#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "Score.h"

namespace synth {

// Reads the plain-text score format described in tools/synth/README.md.
// Problems are collected, not thrown: each is one line "file:line: message",
// and a score with any problem is not returned at all.
class ScoreParser {
public:
    explicit ScoreParser(std::string fileName);

    std::optional<Score> parse(const std::string& text);
    const std::vector<std::string>& errors() const { return problems; }

    // Reads and parses a score file; a file that cannot be read is reported
    // like any other problem.
    static std::optional<Score> parseFile(const std::string& path, std::vector<std::string>& errors);

private:
    struct PendingPlay {
        int line;
        int firstBar, lastBar;
        std::string instrument, pattern;
    };
    struct PendingRamp {
        int line;
        int firstBar, lastBar;
        std::string target, param;
        double from, to;
    };
    using Tokens = std::vector<std::string>;

    void parseLine(const std::string& text);
    void parseStatement(const Tokens& tokens);
    void parseTempo(const Tokens& tokens);
    void parseCount(const Tokens& tokens, int& value, int min, int max);
    void parseMaster(const Tokens& tokens);
    void parseInstrument(const Tokens& tokens);
    void parsePattern(const Tokens& tokens);
    void parsePatternSteps(const std::string& text);
    void parseStep(const std::string& token);
    void addStepNotes(const std::vector<int>& pitches, double velocity);
    void holdStep();
    void parsePlay(const Tokens& tokens);
    void parseRamp(const Tokens& tokens);
    bool parseSettings(const Tokens& tokens, std::size_t first, const Kind& kind, ParamValues& values);
    bool parseBarRange(const std::string& text, int& firstBar, int& lastBar);
    bool parseNumber(const std::string& text, double& value);
    bool parseInteger(const std::string& text, int& value, int min, int max);
    bool checkName(const std::string& name, const char* what);
    bool checkArguments(const Tokens& tokens, std::size_t min, std::size_t max, const char* usage);
    bool checkValue(Param param, double value, int line);

    void finish();
    void checkLength();
    void checkPatterns();
    void resolvePlays();
    void resolveRamps();
    bool checkLastBar(int line, int lastBar);
    int findInstrument(const std::string& name) const;
    int findPattern(const std::string& name) const;

    bool gaveUp() const;
    void error(int line, const std::string& message);
    void error(const std::string& message) { error(lineNumber, message); }

    std::string fileName;
    std::vector<std::string> problems;
    Score score;
    bool hasTempoLine = false; // even one whose value was refused
    bool hasTempo = false;
    bool hasBars = false;
    int lineNumber = 0;
    int openPattern = -1;          // the pattern whose steps may follow
    std::vector<std::size_t> sounding;  // notes of openPattern that a hold extends
    std::vector<PendingPlay> pendingPlays;
    std::vector<PendingRamp> pendingRamps;
};

} // namespace synth
