#include "vroChildProcess.h"

#include "testFiles.h"
#include "windowsTestRoles.h"

#include <fstream>

#include <gtest/gtest.h>

namespace {

class VroChildProcessTest : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    // A name with a space and letters beyond ASCII: the log is opened wide.
    const std::filesystem::path log = dir.path() / std::filesystem::u8path("child log \xC3\xA9.txt");
    std::string problem;
};

// ffmpeg is given file names with spaces, quotes and backslashes: each must
// arrive as one argument, unchanged.
TEST_F(VroChildProcessTest, ArgumentsArriveWordForWord)
{
    const std::vector<std::string> words = {"plain", "with space", "quote\"inside", "trailing\\", "C:\\a b\\",
                                            "back\\\\\"slash", "", "\xC3\xBC" "ber"};
    std::vector<std::string> arguments = {testProgram().u8string(), kEchoArguments};
    arguments.insert(arguments.end(), words.begin(), words.end());
    vroChildProcess child;
    ASSERT_TRUE(child.Start(arguments, log, 1 << 16, problem)) << problem;
    child.CloseInput();
    EXPECT_TRUE(child.Wait(nullptr));
    std::string expected;
    for (const std::string& word : words)
        expected += word + "\n";
    EXPECT_EQ(testing_support::readFile(log), expected);
}

// Frames larger than the pipe arrive whole, the end of the input is seen,
// and the child's exit status decides the result.
TEST_F(VroChildProcessTest, InputArrivesWholeAndTheExitStatusCounts)
{
    const std::vector<std::uint8_t> frame(1 << 20, 7);
    for (const char* status : {"0", "3"}) {
        vroChildProcess child;
        ASSERT_TRUE(child.Start({testProgram().u8string(), kCountInput, status}, log, 1 << 16, problem)) << problem;
        for (std::size_t done = 0; done < frame.size();) {
            const std::ptrdiff_t written = child.Write(frame.data() + done, frame.size() - done);
            ASSERT_GT(written, 0);
            done += static_cast<std::size_t>(written);
        }
        child.CloseInput();
        EXPECT_EQ(child.Wait(nullptr), std::string(status) == "0") << "exit status " << status;
        EXPECT_FALSE(child.isRunning());
        EXPECT_EQ(testing_support::readFile(log), "1048576\n");
    }
}

TEST_F(VroChildProcessTest, AStopEndsAChildThatWouldNeverEnd)
{
    vroChildProcess child;
    ASSERT_TRUE(child.Start({testProgram().u8string(), kNeverEnd}, log, 1 << 16, problem)) << problem;
    const volatile std::sig_atomic_t stop = 1;
    EXPECT_FALSE(child.Wait(&stop));
    EXPECT_FALSE(child.isRunning());
}

TEST_F(VroChildProcessTest, AMissingProgramOrLogFolderIsNamed)
{
    vroChildProcess child;
    EXPECT_FALSE(child.Start({"no-such-program-anywhere"}, log, 1 << 16, problem));
    EXPECT_FALSE(problem.empty());
    problem.clear();
    EXPECT_FALSE(child.Start({testProgram().u8string(), kEchoArguments}, dir.path() / "missing" / "log.txt", 1 << 16,
                             problem));
    EXPECT_NE(problem.find("cannot write the log"), std::string::npos) << problem;
    EXPECT_FALSE(child.isRunning());
}

// A group puts ffmpeg.exe beside the programs, which is the working folder.
TEST_F(VroChildProcessTest, FindLooksInTheWorkingFolderFirst)
{
    testing_support::WorkingDir inside(dir.path());
    EXPECT_EQ(vroChildProcess::Find("tool"), "");
    std::ofstream(dir.path() / "tool.exe") << "MZ";
    EXPECT_EQ(vroChildProcess::Find("tool"), "tool.exe");
}

} // namespace
