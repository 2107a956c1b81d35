// The tests of the Windows seams, and the child their tests start: with a
// role as first argument the program plays it instead of running tests.
#include "windowsTestRoles.h"

#include "vroProcessPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

// Every argument after the role, one a line, on standard error.
int echoArguments(int argc, char** argv)
{
    for (int i = 2; i < argc; ++i)
        std::fprintf(stderr, "%s\n", argv[i]);
    return 0;
}

// How many bytes came on standard input, then the status asked for.
int countInput(char** argv)
{
    char buffer[65536];
    std::size_t total = 0;
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
        total += got;
    std::fprintf(stderr, "%zu\n", total);
    return std::atoi(argv[2]);
}

// Settles as a program does, then says each argument after the role, one a
// line, the working folder for kWorkingFolder.
int settleAndSay(int argc, char** argv)
{
    vroProcessPlatform::Settle();
    for (int i = 2; i < argc; ++i)
        std::fprintf(stderr, "%s\n",
                     argv[i] == std::string(kWorkingFolder) ? std::filesystem::current_path().u8string().c_str()
                                                            : argv[i]);
    return 0;
}

} // namespace

std::filesystem::path testProgram()
{
    wchar_t name[MAX_PATH];
    return std::filesystem::path(std::wstring(name, GetModuleFileNameW(nullptr, name, MAX_PATH)));
}

int main(int argc, char** argv)
{
    const std::string role = argc > 1 ? argv[1] : "";
    // The child roles' lines end as written, with no carriage return.
    if (role == kEchoArguments || role == kCountInput)
        _setmode(_fileno(stderr), _O_BINARY);
    if (role == kEchoArguments)
        return echoArguments(argc, argv);
    if (role == kCountInput && argc > 2)
        return countInput(argv);
    if (role == kNeverEnd)
        Sleep(INFINITE);
    if (role == kSettleAndSay)
        return settleAndSay(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
