// Command lines from the sources a user hands over: a file whose last line
// has no line break, a folder, and a standard input that was closed before
// the program started.
#include "commandInput.h"

#include "testFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;

namespace {

using Lines = std::vector<std::string>;

TEST(CommandInputTest, AFilesLastLineCountsWithoutALineBreak)
{
    TempDir dir;
    dir.write("commands", "frames 2\nquit");
    CommandInput input(dir.file("commands").string());
    EXPECT_EQ(input.poll(), (Lines{"frames 2", "quit"}));
    EXPECT_EQ(input.poll(), Lines{});
}

TEST(CommandInputTest, ALineTooLongIsDroppedToItsEndAndAnEndlessSourceHoldsNoFrame)
{
    TempDir dir;
    const std::string fifo = dir.file("fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CommandInput input(fifo);
    const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const std::string tooLong(5000, 'z');
    testing::internal::CaptureStderr();
    ASSERT_EQ(write(writer, tooLong.data(), tooLong.size()), static_cast<ssize_t>(tooLong.size()));
    EXPECT_EQ(input.poll(), Lines{});
    ASSERT_EQ(write(writer, "seek 3\nquit\n", 12), 12);
    EXPECT_EQ(input.poll(), Lines{"quit"}) << "the rest of the long line is no command";
    close(writer);

    // Never at its end and without a line break: one message, and poll returns.
    CommandInput endless("/dev/zero");
    EXPECT_EQ(endless.poll(), Lines{});
    EXPECT_EQ(endless.poll(), Lines{});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "commands: a line longer than 4096 bytes is ignored\n"
              "commands: a line longer than 4096 bytes is ignored\n");
}

TEST(CommandInputTest, StandardInputIsReadWithoutWaitingAndLeftAsItWas)
{
    // A terminal's flags are shared with the shell the player was started from.
    const int savedInput = dup(STDIN_FILENO);
    int terminal[2];
    ASSERT_EQ(pipe(terminal), 0);
    dup2(terminal[0], STDIN_FILENO);
    Lines lines{"nothing read"};
    {
        CommandInput input("-");
        EXPECT_EQ(input.poll(), Lines{}) << "nothing written yet, and poll returns";
        if (write(terminal[1], "home\n", 5) == 5)
            lines = input.poll();
    }
    const int flags = fcntl(STDIN_FILENO, F_GETFL);
    dup2(savedInput, STDIN_FILENO);
    close(savedInput);
    close(terminal[0]);
    close(terminal[1]);
    EXPECT_EQ(lines, Lines{"home"});
    EXPECT_EQ(flags & O_NONBLOCK, 0);
}

TEST(CommandInputTest, AFolderOrAClosedStandardInputIsNamedAndGivesNoLines)
{
    TempDir dir;
    testing::internal::CaptureStderr();
    CommandInput folder(dir.path().string());
    EXPECT_EQ(folder.poll(), Lines{});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "commands: \"" + dir.path().string() + "\" is a folder\n");

    // Closed, standard input's number goes to the next descriptor opened;
    // what arrives there is no command.
    // (The capture's own file is opened while standard input is still open.)
    testing::internal::CaptureStderr();
    const int savedInput = dup(STDIN_FILENO);
    close(STDIN_FILENO);
    Lines lines{"nothing read"};
    int other[2] = {-1, -1};
    {
        CommandInput closed("-");
        if (pipe2(other, O_NONBLOCK) == 0 && write(other[1], "quit\n", 5) == 5)
            lines = closed.poll();
    }
    close(other[0]);
    close(other[1]);
    dup2(savedInput, STDIN_FILENO);
    close(savedInput);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "commands: standard input is closed\n");
    EXPECT_EQ(other[0], STDIN_FILENO) << "the pipe took standard input's number";
    EXPECT_EQ(lines, Lines{});
}

} // namespace
