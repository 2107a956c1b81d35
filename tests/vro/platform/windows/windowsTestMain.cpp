// The tests of the Windows seams, and the child their tests start: with a
// role as first argument the program plays it instead of running tests.
#include "windowsTest.h"

#include "vroProcessPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

std::filesystem::path testProgram()
{
    wchar_t name[MAX_PATH];
    return std::wstring(name, GetModuleFileNameW(nullptr, name, MAX_PATH));
}

int main(int argc, char** argv)
{
    const std::string role = argc > 1 ? argv[1] : "";
    // The lines of the roles but --settle (which speaks as programs do) end
    // without a carriage return.
    if (role != "--settle")
        _setmode(_fileno(stderr), _O_BINARY);
    if (role == "--echo") { // each argument after it, one a line
        for (int i = 2; i < argc; ++i)
            std::fprintf(stderr, "%s\n", argv[i]);
        return 0;
    }
    if (role == "--count-input") { // the bytes that came, then exit with the status given
        std::size_t total = 0;
        for (char buffer[65536]; std::size_t got = std::fread(buffer, 1, sizeof buffer, stdin);)
            total += got;
        std::fprintf(stderr, "%zu\n", total);
        return std::atoi(argv[2]);
    }
    if (role == "--never-end")
        Sleep(INFINITE);
    if (role == "--settle") { // as a program starts, then says its working folder and the arguments after it
        vroProcessPlatform::Settle();
        std::fprintf(stderr, "%s\n", std::filesystem::current_path().u8string().c_str());
        for (int i = 2; i < argc; ++i)
            std::fprintf(stderr, "%s\n", argv[i]);
        return 0;
    }
    if (role == "--resolve") { // as a program starts, then says the paths after it as it opens them
        vroProcessPlatform::Settle();
        for (int i = 2; i < argc; ++i)
            std::fprintf(stderr, "%s\n", vroProcessPlatform::ResolveUserPath(argv[i]).c_str());
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
