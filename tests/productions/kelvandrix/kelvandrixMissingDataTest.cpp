// The real executable with one data file taken away at a time: it says which
// file, goes on where it can, and never crashes.
#include "childProcess.h"
#include "testFiles.h"
#include "x11Window.h"

#include <thread>

#include <gtest/gtest.h>

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

struct MissingFile {
    const char* name;
    const char* file;
    const char* message; // what standard error must say, empty for nothing
};

const MissingFile kCases[] = {
    {"shader", "rm_cubescape.fs", "shader: \"cubescape\" \"rm_cubescape.fs\": cannot be read"},
    {"image", "ende.png", "\"ende.png\""},
    {"font", "steelfish rg.ttf", "\"steelfish rg.ttf\""},
    {"track", "kelvandrix_sync_part.track", ""},
};

std::string copyOfTheRunFolderWithout(const TempDir& dir, const std::string& file)
{
    for (const auto& entry : std::filesystem::directory_iterator(runDir()))
        if (entry.is_regular_file() && entry.path().filename() != file)
            std::filesystem::copy_file(entry.path(), dir.path() / entry.path().filename());
    return dir.path().string();
}

std::string loadLines()
{
    std::string lines;
    for (int i = 0; i < 10; ++i)
        lines += "DEBUG: Getting track data\n";
    return lines;
}

class MissingData : public ::testing::TestWithParam<MissingFile> {};

TEST_P(MissingData, RunsOnAndNamesTheFile)
{
    const MissingFile missing = GetParam();
    TempDir dir;
    ChildProcess production(KELVANDRIX_EXECUTABLE, copyOfTheRunFolderWithout(dir, missing.file));
    const unsigned long window = findWindow("KELVANDRIX", 60s);
    ASSERT_NE(window, 0u) << production.standardError();
    std::this_thread::sleep_for(4s);
    ASSERT_TRUE(production.running()) << production.standardError();
    ASSERT_TRUE(requestClose(window));
    ASSERT_EQ(production.waitForExit(30s), std::optional<int>(0)) << production.standardError();
    EXPECT_EQ(production.standardOutput(), loadLines());
    if (*missing.message) {
        EXPECT_NE(production.standardError().find(missing.message), std::string::npos) << production.standardError();
    }
}

INSTANTIATE_TEST_SUITE_P(Production, MissingData, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MissingMusic, LoadsThenEndsAtOnceWithStatusZero)
{
    TempDir dir;
    ChildProcess production(KELVANDRIX_EXECUTABLE, copyOfTheRunFolderWithout(dir, "tolvenmark.mp3"));
    ASSERT_EQ(production.waitForExit(90s), std::optional<int>(0)) << production.standardError();
    EXPECT_EQ(production.standardOutput(), loadLines());
    EXPECT_NE(production.standardError().find("\"tolvenmark.mp3\""), std::string::npos) << production.standardError();
}

// What it says going into a pipe whose reader has gone (`| head -1` after
// its line) ends neither the loading nor the program: status 0 as ever.
TEST(MissingMusic, OutputIntoAPipeNobodyReadsStillEndsWithStatusZero)
{
    TempDir dir;
    ChildProcess production(KELVANDRIX_EXECUTABLE, copyOfTheRunFolderWithout(dir, "tolvenmark.mp3"), {},
                            ChildProcess::Output::IntoAPipeNobodyReads);
    EXPECT_EQ(production.waitForExit(90s), std::optional<int>(0)) << "ended by a signal, SIGPIPE before";
}

} // namespace
