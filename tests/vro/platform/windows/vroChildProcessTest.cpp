#include "vroChildProcess.h"

#include "testFiles.h"
#include "windowsTest.h"

#include <gtest/gtest.h>

namespace {

using testing_support::readFile;

class VroChildProcessTest : public ::testing::Test {
protected:
    // The log's name has a space and letters beyond ASCII: it is opened wide.
    bool start(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), testProgram().u8string());
        return child.Start(arguments, log, 1 << 16, problem);
    }
    testing_support::TempDir dir;
    const std::filesystem::path log = dir.path() / std::filesystem::u8path("child log \xC3\xA9.txt");
    vroChildProcess child;
    std::string problem;
};

// ffmpeg is given file names with spaces, quotes and backslashes: each must
// arrive as one argument, unchanged.
TEST_F(VroChildProcessTest, ArgumentsArriveWordForWord)
{
    const std::vector<std::string> words = {"with space", "quote\"inside", "trailing\\", "C:\\a b\\",
                                            "back\\\\\"slash", "", "\xC3\xBC" "ber"};
    std::vector<std::string> arguments = {"--echo"};
    arguments.insert(arguments.end(), words.begin(), words.end());
    ASSERT_TRUE(start(arguments)) << problem;
    child.CloseInput();
    EXPECT_TRUE(child.Wait(nullptr));
    std::string expected;
    for (const std::string& word : words)
        expected += word + "\n";
    EXPECT_EQ(readFile(log), expected);
}

// A frame larger than the pipe arrives whole, the end of the input is seen,
// and a failed exit is a failure.
TEST_F(VroChildProcessTest, InputArrivesWholeAndAFailedExitCounts)
{
    ASSERT_TRUE(start({"--count-input", "3"})) << problem;
    const std::vector<std::uint8_t> frame(1 << 20, 7);
    for (std::size_t done = 0; done < frame.size();) {
        const std::ptrdiff_t written = child.Write(frame.data() + done, frame.size() - done);
        ASSERT_GT(written, 0);
        done += static_cast<std::size_t>(written);
    }
    child.CloseInput();
    EXPECT_FALSE(child.Wait(nullptr));
    EXPECT_EQ(readFile(log), "1048576\n");
}

TEST_F(VroChildProcessTest, AStopEndsAChildThatWouldNeverEnd)
{
    ASSERT_TRUE(start({"--never-end"})) << problem;
    const volatile std::sig_atomic_t stop = 1;
    EXPECT_FALSE(child.Wait(&stop));
    EXPECT_FALSE(child.isRunning());
}

} // namespace
