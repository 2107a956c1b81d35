#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Kind.h"
#include "ScoreParser.h"
#include "synthTestAudio.h"
#include "testFiles.h"

using synth::Param;
using synth::paramIndex;
using synth::Score;

namespace {

// Nine lines; the error cases below append theirs from line 10 on.
const std::string validScore =
    "tempo 120\n"
    "bars 4\n"
    "instrument drum hat\n"
    "instrument keys lead\n"
    "pattern beat\n"
    "| x... x... x... x... |\n"
    "pattern tune\n"
    "| A4 - - - . . . . C5 - - - . . . . |\n"
    "play 0-3 drum beat\n";

std::vector<std::string> parseErrors(const std::string& text)
{
    synth::ScoreParser parser("song.score");
    auto score = parser.parse(text);
    EXPECT_EQ(score.has_value(), parser.errors().empty());
    return parser.errors();
}

} // namespace

TEST(ScoreParser, ReadsEveryStatement)
{
    Score score = synth_test::parseScore(
        "\xEF\xBB\xBFtempo 127.5   # beats per minute; a byte order mark before it\r\n"
        "# a comment line\r\n"
        "beats 3\n"
        "steps 2\n"
        "bars 8\n"
        "master gain=0.5 delay_steps=2\n"
        "instrument bd kick gain=0.9\n"
        "instrument keys pad cutoff=900 voices=3\n"
        "pattern groove\n"
        "| x.o X-. |\n"
        "| A4 C#3:Bb2 - - A4! C5~ |\n"
        "play 2-5 bd groove\n"
        "play 7 keys groove2\n"
        "pattern groove2\n"
        "| A4 - - - - - |\n"
        "ramp 1-2 keys cutoff 200 4000\n"
        "ramp 7 master gain 0.5 0\n");

    EXPECT_EQ(score.tempoMilli, 127500);
    EXPECT_EQ(score.beatsPerBar, 3);
    EXPECT_EQ(score.stepsPerBeat, 2);
    EXPECT_EQ(score.bars, 8);
    EXPECT_DOUBLE_EQ(score.master[paramIndex(Param::Gain)], 0.5);
    EXPECT_DOUBLE_EQ(score.master[paramIndex(Param::DelaySteps)], 2.0);

    ASSERT_EQ(score.instruments.size(), 2u);
    const Score::Instrument& keys = score.instruments[1];
    EXPECT_EQ(keys.name, "keys");
    EXPECT_EQ(keys.kind, synth::Kind::find("pad"));
    EXPECT_DOUBLE_EQ(keys.values[paramIndex(Param::Cutoff)], 900.0);
    EXPECT_DOUBLE_EQ(keys.values[paramIndex(Param::Voices)], 3.0);
    // Settings not given keep their kind's default.
    EXPECT_DOUBLE_EQ(keys.values[paramIndex(Param::Attack)], synth::Kind::find("pad")->defaults()[paramIndex(Param::Attack)]);

    ASSERT_EQ(score.patterns.size(), 2u);
    const Score::Pattern& groove = score.patterns[0];
    EXPECT_EQ(groove.steps, 12);
    EXPECT_TRUE(groove.hasHits);
    struct Expected {
        int step, length, pitch;
        double velocity;
    };
    const Expected expected[] = {
        {0, 1, Score::noPitch, 0.8}, {2, 1, Score::noPitch, 0.45}, {3, 2, Score::noPitch, 1.0},
        {6, 1, 69, 0.8}, {7, 3, 49, 0.8}, {7, 3, 46, 0.8}, {10, 1, 69, 1.0}, {11, 1, 72, 0.45}};
    ASSERT_EQ(groove.notes.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(groove.notes[i].step, expected[i].step);
        EXPECT_EQ(groove.notes[i].length, expected[i].length);
        EXPECT_EQ(groove.notes[i].pitch, expected[i].pitch);
        EXPECT_DOUBLE_EQ(groove.notes[i].velocity, expected[i].velocity);
    }
    EXPECT_FALSE(score.patterns[1].hasHits);

    // A play may name a pattern defined further down.
    ASSERT_EQ(score.plays.size(), 2u);
    EXPECT_EQ(score.plays[1].firstBar, 7);
    EXPECT_EQ(score.plays[1].lastBar, 7);
    EXPECT_EQ(score.plays[1].instrument, 1);
    EXPECT_EQ(score.plays[1].pattern, 1);

    ASSERT_EQ(score.ramps.size(), 2u);
    EXPECT_EQ(score.ramps[0].target, 1);
    EXPECT_EQ(score.ramps[0].param, Param::Cutoff);
    EXPECT_DOUBLE_EQ(score.ramps[0].to, 4000.0);
    EXPECT_EQ(score.ramps[1].target, Score::Ramp::master);
}

TEST(ScoreParser, ReportsEachProblemWithItsFileAndLine)
{
    struct Case {
        std::string lines;
        int line;
        std::string message;
    };
    const Case cases[] = {
        {"loop 0-3 drum beat\n", 10, "unknown statement \"loop\""},
        {"tempo fast\n", 10, "\"fast\" is not a number"},
        {"tempo 1000\n", 10, "tempo must be between 20 and 400"},
        {"bars 0\n", 10, "\"0\" is out of range 1 to 9999"},
        {"bars 9999\n", 10, "the song lasts 333 minutes; at most 30"},
        {"pattern odd\n| A4 x H4 . ............ |\n", 11, "bad step \"H4\""},
        {"pattern odd\n| - A4 . . ............ |\n", 11, "a hold \"-\" needs a note or hit right before it"},
        {"pattern odd\n| . . ---- .......... |\n", 11, "a hold \"-\" needs a note"},
        {"pattern short\n| x... x... x... x.. |\n", 10, "pattern \"short\" has 15 steps; a pattern fills whole bars of 16 steps"},
        {"| x... |\nplay 0 drum beat\n", 10, "steps outside a pattern"},
        {"instrument fm fm\n", 10, "unknown instrument kind \"fm\" (known: kick, snare"},
        {"instrument bd kick cutoff=300\n", 10, "kick has no setting \"cutoff\""},
        {"instrument bd kick gain\n", 10, "expected NAME=VALUE, found \"gain\""},
        {"instrument bd kick pan=2\n", 10, "\"pan\" must be between -1 and 1"},
        {"instrument drum snare\n", 10, "instrument \"drum\" is defined twice"},
        {"instrument master pad\n", 10, "bad instrument name \"master\""},
        {"pattern beat\n", 10, "pattern \"beat\" is defined twice"},
        {"play 0-3 drums beat\n", 10, "unknown instrument \"drums\""},
        {"play 0-3 drum beats\n", 10, "unknown pattern \"beats\""},
        {"play 2-4 drum beat\n", 10, "bar 4 is past the end (bars 0-3)"},
        {"play 3-1 drum beat\n", 10, "bar range \"3-1\" runs backwards"},
        {"play 0 keys beat\n", 10, "instrument \"keys\" plays notes, but pattern \"beat\" has hits without a pitch"},
        {"play 0 keys\n", 10, "expected \"play BAR[-BAR] INSTRUMENT PATTERN\""},
        {"ramp 0-1 keys cutoff 100 900\nramp 1-2 keys cutoff 900 100\n", 11, "ramp overlaps the one on line 10"},
        {"ramp 0-3 master reverb_size 0 1\n", 10, "only the master's \"gain\" can ramp"},
        {"ramp 0-3 drum cutoff 100 30000\n", 10, "\"cutoff\" must be between 20 and 20000"},
        {"ramp 0-3 drum voices 1 2\n", 10, "hat has no setting \"voices\""},
        {"master gain=2 tempo=3\n", 10, "master has no setting \"tempo\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        auto errors = parseErrors(validScore + c.lines);
        ASSERT_EQ(errors.size(), 1u) << (errors.empty() ? "" : errors[0]);
        std::string prefix = "song.score:" + std::to_string(c.line) + ": ";
        EXPECT_EQ(errors[0].rfind(prefix, 0), 0u) << errors[0];
        EXPECT_NE(errors[0].find(c.message), std::string::npos) << errors[0];
    }
}

TEST(ScoreParser, CollectsEveryProblemAndReturnsNoScore)
{
    auto errors = parseErrors("bars 2\nwhat\npattern p\n| x Q .............. |\nplay 0 nobody p\n");
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors[0], "song.score:2: unknown statement \"what\" (expected tempo, beats, steps, bars, master, "
                         "instrument, pattern, play or ramp)");
    EXPECT_EQ(errors[1].rfind("song.score:4: bad step \"Q\"", 0), 0u);
    // Problems of the whole score are reported at its last line.
    EXPECT_EQ(errors[2], "song.score:5: the score has no \"tempo\" line");
    EXPECT_EQ(errors[3], "song.score:5: unknown instrument \"nobody\"");

    // A tempo line with a value out of range is that line's problem alone.
    auto badTempo = parseErrors("tempo 1000\nbars 2\n");
    ASSERT_EQ(badTempo.size(), 1u) << (badTempo.size() > 1 ? badTempo[1] : "");
    EXPECT_EQ(badTempo[0].rfind("song.score:1: tempo must be between 20 and 400", 0), 0u) << badTempo[0];
}

TEST(ScoreParser, GivesUpOnSomethingThatIsNoScore)
{
    std::string garbage;
    for (int i = 0; i < 100; ++i) {
        garbage += "\x7f" "ELF binary line\n";
    }
    auto errors = parseErrors(garbage);
    ASSERT_EQ(errors.size(), 21u);
    EXPECT_EQ(errors[19].rfind("song.score:20: unknown statement", 0), 0u);
    EXPECT_EQ(errors[20], "song.score:20: too many problems, giving up");

    // Problems of the whole score, found after the last line, count too.
    std::string plays;
    for (int i = 0; i < 30; ++i) {
        plays += "play 0 nobody beat\n";
    }
    errors = parseErrors(validScore + plays);
    ASSERT_EQ(errors.size(), 21u);
    EXPECT_EQ(errors[20], "song.score:29: too many problems, giving up");
}

TEST(ScoreParser, ReportsAFileThatCannotBeRead)
{
    testing_support::TempDir dir;
    // A folder opens like a file and reads as nothing: it is no empty score.
    for (const std::string name : {"missing.score", "folder.score"}) {
        std::vector<std::string> errors;
        const std::string path = dir.file(name).string();
        if (name == "folder.score")
            std::filesystem::create_directory(path);
        EXPECT_FALSE(synth::ScoreParser::parseFile(path, errors));
        ASSERT_EQ(errors.size(), 1u) << name;
        EXPECT_EQ(errors[0], path + ":0: cannot read the score");
    }
}
