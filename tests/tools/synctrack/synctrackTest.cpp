#include "commands.h"
#include "testFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

using testing_support::readFile;

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

// Runs synctrack in a fresh folder where the test's files live.
class SynctrackTest : public ::testing::Test {
protected:
    SynctrackTest() : workingDir(dir.path()) {}

    Result run(const std::vector<std::string>& args)
    {
        std::ostringstream out;
        std::ostringstream err;
        const int status = runSynctrack(args, out, err);
        return {status, out.str(), err.str()};
    }

    Result build(const std::string& text)
    {
        dir.write("tracks.txt", text);
        return run({"build", "tracks.txt", "--base", "demo", "--out", "out"});
    }

    std::string built(const std::string& track) { return readFile(dir.file("out/demo_" + track + ".track")); }

    testing_support::TempDir dir;
    testing_support::WorkingDir workingDir;
};

// In the canonical layout that dump prints.
const char* const kCanonical = "track bg_hue\n"
                               "-8          0.25          smooth\n"
                               "0:0:0       0.1           linear\n"
                               "1:2:3       -2.5          ramp\n"
                               "67108863:3:7 1e-45        step\n"
                               "\n"
                               "track part\n"
                               "0:0:0       3.4028235e+38 step\n"
                               "\n"
                               "track silence\n";

} // namespace

TEST_F(SynctrackTest, DumpOfBuildGivesTheSameText)
{
    const Result builtText = build(kCanonical);
    ASSERT_EQ(builtText.status, kStatusDone) << builtText.err;
    EXPECT_EQ(builtText.err, "");
    const Result dumped
        = run({"dump", "--base", "demo", "out/demo_bg_hue.track", "out/demo_part.track", "out/demo_silence.track"});
    EXPECT_EQ(dumped.status, kStatusDone);
    EXPECT_EQ(dumped.out, kCanonical);
    EXPECT_EQ(dumped.err, "");
    EXPECT_EQ(built("silence"), std::string(8, '\0'));
}

TEST_F(SynctrackTest, BuildWritesTheBinaryLayoutByteForByte)
{
    ASSERT_EQ(build("track part\n0 1 linear\n1:0:0 -2 step\n").status, kStatusDone);
    EXPECT_EQ(built("part"), std::string("\x02\0\0\0\0\0\0\0"
                                         "\x00\x00\x00\x00" "\x00\x00\x80\x3f" "\x01"
                                         "\x20\x00\x00\x00" "\x00\x00\x00\xc0" "\x00",
                                         26));
}

// The byte order mark as some editors save UTF-8.
TEST_F(SynctrackTest, LayoutCommentsByteOrderMarkAndRowNotationDoNotMatter)
{
    ASSERT_EQ(build("\xEF\xBB\xBFtrack part   # scene number\r\n"
                    "# the intro\r\n"
                    "\t-1\t0\tstep\r\n"
                    "0 1.0 step\n"
                    "  7   1.5e0   linear   # end of the first beat\n"
                    "8 2 smooth\n"
                    "32 +3 ramp\n")
                  .status,
              kStatusDone);
    const Result dumped = run({"dump", "out/demo_part.track"});
    EXPECT_EQ(dumped.out, "track demo_part\n"
                          "-1          0             step\n"
                          "0:0:0       1             step\n"
                          "0:0:7       1.5           linear\n"
                          "0:1:0       2             smooth\n"
                          "1:0:0       3             ramp\n");
}

TEST_F(SynctrackTest, BuildRefusesFaultyLinesAndWritesNothing)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"track a\n8 1 step\n8 2 step\n", "tracks.txt:3: row 8 is not after the previous key's row 8 (line 2)"},
        {"track a\n0:1:0 1 step\n\n4 2 step\n", "tracks.txt:4: row 4 is not after the previous key's row 0:1:0 (line 2)"},
        {"track a\n0 1 bounce\n", "tracks.txt:2: unknown kind \"bounce\" (step, linear, smooth or ramp)"},
        {"0 1 step\n", "tracks.txt:1: key before the first \"track\" line"},
        {"track a\n0:4:0 1 step\n", "tracks.txt:2: beat 4 in \"0:4:0\" is outside 0..3"},
        {"track a\n0:0:8 1 step\n", "tracks.txt:2: row 8 within the beat in \"0:0:8\" is outside 0..7"},
        {"track a\n67108864:0:0 1 step\n", "tracks.txt:2: row 67108864:0:0 is outside the 32-bit range"},
        {"track a\n-2147483649 1 step\n", "tracks.txt:2: row -2147483649 is outside the 32-bit range"},
        {"track a\n1:x:0 1 step\n", "tracks.txt:2: bad row \"1:x:0\" (a row number or BAR:BEAT:ROW)"},
        {"track a\n0 1,5 step\n", "tracks.txt:2: bad value \"1,5\""},
        {"track a\n0 1e39 step\n", "tracks.txt:2: value 1e39 is not a finite single-precision number"},
        {"track a\n0 1\n", "tracks.txt:2: expected \"track NAME\" or \"ROW VALUE KIND\""},
        {"track my track\n", "tracks.txt:1: expected \"track NAME\" with a name free of spaces"},
        {"track ../a\n", "tracks.txt:1: bad track name \"../a\" (letters, digits, '_', '-' and '.')"},
        {"track a\ntrack a\n", "tracks.txt:2: track \"a\" is already defined at tracks.txt:1"},
    };
    for (const auto& c : cases) {
        const Result result = build(c.text);
        EXPECT_EQ(result.status, kStatusFindings) << c.text;
        EXPECT_EQ(result.err, std::string(c.error) + "\n") << c.text;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

TEST_F(SynctrackTest, BuildReportsEveryFaultAcrossFiles)
{
    dir.write("a.txt", "track part\n0 1 step\n");
    dir.write("b.txt", "track part\n0 1 jump\n");
    const Result result = run({"build", "a.txt", "b.txt", "--base", "demo", "--out", "out"});
    EXPECT_EQ(result.status, kStatusFindings);
    EXPECT_EQ(result.err, "b.txt:1: track \"part\" is already defined at a.txt:1\n"
                          "b.txt:2: unknown kind \"jump\" (step, linear, smooth or ramp)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));

    const std::string longName(1020, 'n');
    const Result tooLong = build("track " + longName + "\n");
    EXPECT_EQ(tooLong.status, kStatusFindings);
    EXPECT_EQ(tooLong.err, "tracks.txt:1: track \"" + longName
                               + "\" makes a file name longer than 1023 characters, which the player never opens\n");
}

// The player reads every track it knows from its file: one left behind by
// an earlier text would play keys the text no longer has.
TEST_F(SynctrackTest, BuildLeavesExactlyTheTextsTracksOfItsBase)
{
    ASSERT_EQ(build("track part\n0 1 step\ntrack palette\n0 2 step\n").status, kStatusDone);
    dir.write("out/other_palette.track", "kept");
    dir.write("out/demo_notes.txt", "kept");
    const Result refused = build("track part\n0 1 bounce\n");
    EXPECT_EQ(refused.status, kStatusFindings);
    EXPECT_TRUE(std::filesystem::exists(dir.file("out/demo_palette.track")));

    const Result result = build("track part\n0 3 step\n");
    ASSERT_EQ(result.status, kStatusDone) << result.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/demo_palette.track")));
    EXPECT_EQ(result.err, "synctrack: removed \"out/demo_palette.track\", a track the text no longer has\n");
    EXPECT_EQ(run({"dump", "--base", "demo", "out/demo_part.track"}).out, "track part\n0:0:0       3             step\n");
    EXPECT_EQ(readFile(dir.file("out/other_palette.track")), "kept");
    EXPECT_EQ(readFile(dir.file("out/demo_notes.txt")), "kept");
}

TEST_F(SynctrackTest, CommandLineMistakesAreUsageErrors)
{
    dir.write("tracks.txt", "track a\n");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"bake"},
             {"build", "tracks.txt", "--base", "demo"},
             {"build", "tracks.txt", "--out", "out", "--base"},
             {"build", "--base", "demo", "--out", "out"},
             {"build", "tracks.txt", "--base", "a/b", "--out", "out"},
             {"build", "missing.txt", "--base", "demo", "--out", "out"},
             {"build", ".", "--base", "demo", "--out", "out"},
             {"check", "--base", "demo", "x.track"},
             {"check", "."},
             {"dump", "."},
         }) {
        const Result result = run(args);
        EXPECT_EQ(result.status, kStatusFailure) << ::testing::PrintToString(args);
        EXPECT_EQ(result.err.rfind("synctrack: ", 0), 0u) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

TEST_F(SynctrackTest, CheckReportsWhatThePlayerWouldRepair)
{
    ASSERT_EQ(build("track good\n0 1 step\n8 2 linear\n").status, kStatusDone);
    const std::string good = built("good");
    dir.write("cut.track", good.substr(0, good.size() - 1));
    dir.write("odd.track", std::string("\x02\0\0\0\0\0\0\0", 8) + std::string("\x08\0\0\0\0\0\0\0\x09", 9)
                               + std::string("\x08\0\0\0\0\0\0\0\x00", 9));

    const Result clean = run({"check", "out/demo_good.track"});
    EXPECT_EQ(clean.status, kStatusDone);
    EXPECT_EQ(clean.out, "");

    const Result found = run({"check", "out/demo_good.track", "cut.track", "odd.track"});
    EXPECT_EQ(found.status, kStatusFindings);
    EXPECT_EQ(found.out, "\"cut.track\" is truncated: 1 of 2 keys read\n"
                         "\"odd.track\" has 1 key of unknown kind held as a step (first: key 0, kind 9); "
                         "has 1 key out of row order dropped (first: key 1, row 8 after row 8)\n");
    EXPECT_EQ(found.err, "");

    const Result missing = run({"check", "cut.track", "missing.track"});
    EXPECT_EQ(missing.status, kStatusFailure);
    EXPECT_EQ(missing.err, "synctrack: cannot open \"missing.track\"\n");

    // dump shows the keys as repaired and says why on standard error.
    const Result dumped = run({"dump", "cut.track"});
    EXPECT_EQ(dumped.status, kStatusDone);
    EXPECT_EQ(dumped.out, "track cut\n0:0:0       1             step\n");
    EXPECT_EQ(dumped.err, "synctrack: \"cut.track\" is truncated: 1 of 2 keys read\n");
    EXPECT_EQ(run({"dump", "--base", "other", "cut.track"}).status, kStatusFailure);

    // Text that cannot be written out (a full disk behind a redirection) is
    // a failure, not a dump or a clean check.
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"dump", "cut.track"}, {"check", "cut.track"}}) {
        std::ostream lost(nullptr);
        std::ostringstream err;
        EXPECT_EQ(runSynctrack(args, lost, err), kStatusFailure) << args[0];
        EXPECT_NE(err.str().find("synctrack: cannot write to standard output\n"), std::string::npos) << err.str();
    }
}

TEST_F(SynctrackTest, TheExecutableKeepsToItsStreamsAndStatuses)
{
    dir.write("tracks.txt", "track part\n0 1 step\n");
    const std::string exe = SYNCTRACK_EXECUTABLE;
    const auto shell = [](const std::string& command) { return WEXITSTATUS(std::system(command.c_str())); };
    EXPECT_EQ(shell("'" + exe + "' build tracks.txt --base demo --out out >build.out 2>build.err"), kStatusDone);
    EXPECT_EQ(shell("'" + exe + "' dump out/demo_part.track >dump.out 2>dump.err"), kStatusDone);
    EXPECT_EQ(shell("'" + exe + "' >usage.out 2>usage.err"), kStatusFailure);
    EXPECT_EQ(readFile(dir.file("build.out")) + readFile(dir.file("build.err")), "");
    EXPECT_EQ(readFile(dir.file("dump.out")), "track demo_part\n0:0:0       1             step\n");
    EXPECT_EQ(readFile(dir.file("usage.out")), "");
    EXPECT_NE(readFile(dir.file("usage.err")).find("usage: synctrack build"), std::string::npos);
}
