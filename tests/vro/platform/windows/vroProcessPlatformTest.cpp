#include "vroProcessPlatform.h"

#include "testFiles.h"
#include "vroChildProcess.h"
#include "windowsTest.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using testing_support::readFile;

// As a double-click starts a program without a console: no standard handles.
void runWithoutStandardHandles(const std::wstring& arguments)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION started{};
    std::wstring line = L"\"" + testProgram().wstring() + L"\" --settle " + arguments;
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                               &startup, &started));
    WaitForSingleObject(started.hProcess, INFINITE);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

// Started from a shortcut elsewhere, a program still finds its data; without
// a console its messages go to "<program>.log" beside it, a Windows text file.
TEST(VroProcessPlatformTest, SettlingMovesToTheProgramsFolderAndLogsWithoutAConsole)
{
    testing_support::TempDir dir;
    testing_support::WorkingDir elsewhere(dir.path());
    const std::string folder = testProgram().parent_path().u8string();
    const std::filesystem::path log = std::filesystem::path(testProgram()).replace_extension(".log");
    runWithoutStandardHandles(L"\"shader: one line\"");
    EXPECT_EQ(readFile(log), folder + "\r\nshader: one line\r\n");
    std::filesystem::remove(log);

    vroChildProcess child;
    std::string problem;
    ASSERT_TRUE(child.Start({testProgram().u8string(), "--settle"}, dir.path() / "said.txt", 1 << 16, problem));
    child.CloseInput();
    ASSERT_TRUE(child.Wait(nullptr));
    EXPECT_EQ(readFile(dir.path() / "said.txt"), folder + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(log)) << "a program with standard error keeps no log";

    // Paths typed in the console stay relative to it; absolute ones stay.
    vroChildProcess resolver;
    const std::string absolute = (dir.path() / "a.mp4").u8string();
    ASSERT_TRUE(resolver.Start({testProgram().u8string(), "--resolve", "frames/", absolute}, dir.path() / "paths.txt",
                               1 << 16, problem));
    resolver.CloseInput();
    ASSERT_TRUE(resolver.Wait(nullptr));
    EXPECT_EQ(readFile(dir.path() / "paths.txt"), (dir.path() / "frames\\").u8string() + "\n" + absolute + "\n");
}

} // namespace
