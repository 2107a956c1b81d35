#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// What a program does differently on each platform before it opens anything,
// behind one interface: platform/desktop/vroProcessPlatform.cpp (POSIX),
// platform/web/vroProcessPlatform.cpp (a page) and
// platform/windows/vroProcessPlatform.cpp. Each build compiles one of them.
class vroProcessPlatform {
public:
    // Makes the process fit to open its data and to speak, whatever it was
    // started with. A program's main calls it first when it opens anything
    // before the engine does; the engine's constructor calls it too.
    //
    // Desktop: a closed standard input, output or error is opened on
    // /dev/null, so that no file, pipe or X connection opened later takes
    // that number and gets the program's messages written into it; and a
    // reader that went away (SIGPIPE) only makes the messages go nowhere.
    //
    // Windows: the working folder becomes the executable's own, so that a
    // program started by a double-click or from a shortcut finds its data;
    // a program started without a console or a redirection for its messages
    // writes them to "<program>.log" beside the executable.
    static void Settle();

    // For the programs that write files (not in the page):
    // Ctrl-C and the requests to end the program call `handler` instead of
    // ending it, so that it can undo what it has under way; on POSIX a
    // blocked write returns early, and a closed terminal (SIGHUP) counts too.
    static void CatchStopSignals(void (*handler)(int));
    // The number that marks this process's temporary files.
    static long ProcessId();
    // Whether files can be made in `folder`.
    static bool CanWriteFolder(const std::filesystem::path& folder);
    // std::fopen of a path as it stands, whatever characters its name has
    // (Windows takes them only through its wide functions).
    static std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);
    // A path the user gave (an option's value, in UTF-8) as the program
    // opens it once settled: a relative one stays relative to the folder the
    // program was started in, which Settle may have left (Windows), as
    // whoever typed it in a console expects.
    static std::string ResolveUserPath(const std::string& path);
};
