#include "vroProcessPlatform.h"

#include "testFiles.h"
#include "vroChildProcess.h"
#include "windowsTestRoles.h"

#include <fstream>

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// As a double-click starts a program without a console: no standard
// handles at all.
void runWithoutStandardHandles(const std::wstring& arguments)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION started{};
    std::wstring line = L"\"" + testProgram().wstring() + L"\" " + arguments;
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                               &startup, &started));
    WaitForSingleObject(started.hProcess, INFINITE);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

class VroProcessPlatformTest : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    const std::filesystem::path programLog = std::filesystem::path(testProgram()).replace_extension(".log");
    void TearDown() override { std::filesystem::remove(programLog); }
};

// Started from a shortcut elsewhere, a program still finds its data.
TEST_F(VroProcessPlatformTest, SettlingMakesTheProgramsFolderTheWorkingFolder)
{
    testing_support::WorkingDir elsewhere(dir.path());
    vroChildProcess child;
    std::string problem;
    const std::filesystem::path log = dir.path() / "said.txt";
    ASSERT_TRUE(child.Start({testProgram().u8string(), kSettleAndSay, kWorkingFolder}, log, 1 << 16, problem));
    child.CloseInput();
    ASSERT_TRUE(child.Wait(nullptr));
    EXPECT_EQ(testing_support::readFile(log), testProgram().parent_path().u8string() + "\r\n");
}

TEST_F(VroProcessPlatformTest, WithoutStandardErrorMessagesGoToALogBesideTheProgram)
{
    runWithoutStandardHandles(L"--settle-and-say \"shader: one line\" \"audio: another\"");
    // A text file as Windows has them: lines end in CR LF.
    EXPECT_EQ(testing_support::readFile(programLog), "shader: one line\r\naudio: another\r\n");
}

TEST_F(VroProcessPlatformTest, ARunThatSaysNothingLeavesNoLog)
{
    runWithoutStandardHandles(L"--settle-and-say");
    EXPECT_FALSE(std::filesystem::exists(programLog));
}

TEST_F(VroProcessPlatformTest, AFolderIsWritableOnlyWhenItIsThereAndTheTrialLeavesNothing)
{
    EXPECT_TRUE(vroProcessPlatform::CanWriteFolder(dir.path()));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_FALSE(vroProcessPlatform::CanWriteFolder(dir.path() / "missing"));
    std::ofstream(dir.path() / "file") << "x";
    EXPECT_FALSE(vroProcessPlatform::CanWriteFolder(dir.path() / "file"));
}

TEST_F(VroProcessPlatformTest, FilesOpenUnderNamesWithAnyCharacters)
{
    const std::filesystem::path name = dir.path() / std::filesystem::u8path("bilder \xC3\xBC\xE2\x82\xAC.bin");
    std::FILE* file = vroProcessPlatform::OpenFile(name, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("a\nb", file);
    std::fclose(file);
    // Binary: no line end grows a carriage return.
    EXPECT_EQ(testing_support::readFile(name), "a\nb");
}

} // namespace
