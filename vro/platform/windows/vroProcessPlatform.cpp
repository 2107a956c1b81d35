#include "vroProcessPlatform.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <windows.h>

namespace {

// The log of a program without anywhere else to write its messages.
std::filesystem::path logFile;
// The working folder the program was started in, before Settle left it.
std::filesystem::path startFolder;

std::filesystem::path executablePath()
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);
    }
}

// A console, or a file or pipe the program's starter handed over. A program
// built without a console and started by a double-click has none of them.
bool hasStandardError()
{
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A run that said nothing leaves no log behind. The stream is closed first:
// Windows removes no file that is open.
void removeEmptyLog()
{
    std::fclose(stderr);
    std::error_code ignored;
    if (std::filesystem::file_size(logFile, ignored) == 0)
        std::filesystem::remove(logFile, ignored);
}

// The C runtime marks the standard error of a program started without one
// as closed, and reopening a closed stream fails: the log's stream takes its
// place instead (the runtime's streams are plain records).
void writeMessagesToLog(const std::filesystem::path& executable)
{
    logFile = executable;
    logFile.replace_extension(".log");
    std::FILE* log = _wfopen(logFile.c_str(), L"w");
    if (!log)
        return;
    // Line by line as they are said: a program that dies keeps what it said.
    std::setvbuf(log, nullptr, _IONBF, 0);
    *stderr = *log;
    std::atexit(removeEmptyLog);
}

} // namespace

void vroProcessPlatform::Settle()
{
    // The engine settles again what its program's main has settled: the log
    // is opened once.
    static bool settled = false;
    if (settled)
        return;
    settled = true;
    const std::filesystem::path executable = executablePath();
    std::error_code ignored;
    startFolder = std::filesystem::current_path(ignored);
    std::filesystem::current_path(executable.parent_path(), ignored);
    // Messages name files in UTF-8.
    SetConsoleOutputCP(CP_UTF8);
    if (!hasStandardError())
        writeMessagesToLog(executable);
}

// Unchanged where the program was started in its own folder (a
// double-click), so that messages name the path as it was given.
std::string vroProcessPlatform::ResolveUserPath(const std::string& path)
{
    const std::filesystem::path given = std::filesystem::u8path(path);
    std::error_code ignored;
    if (startFolder.empty() || given.is_absolute()
        || std::filesystem::equivalent(startFolder, std::filesystem::current_path(ignored), ignored))
        return path;
    return (startFolder / given).make_preferred().u8string();
}

// Ctrl-C and Ctrl-Break in the console, through the C runtime. Windows has
// no hangup, and a blocked write is not cut short.
void vroProcessPlatform::CatchStopSignals(void (*handler)(int))
{
    for (int signal : {SIGINT, SIGTERM, SIGBREAK})
        std::signal(signal, handler);
}

long vroProcessPlatform::ProcessId()
{
    return static_cast<long>(GetCurrentProcessId());
}

// Windows' access rights are lists that no permission bit sums up: a file is
// made there on trial, and gone again when its handle closes.
bool vroProcessPlatform::CanWriteFolder(const std::filesystem::path& folder)
{
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored))
        return false;
    const std::filesystem::path trial = folder / (".write-trial-" + std::to_string(ProcessId()));
    const HANDLE file = CreateFileW(trial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

std::FILE* vroProcessPlatform::OpenFile(const std::filesystem::path& path, const char* mode)
{
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
}
