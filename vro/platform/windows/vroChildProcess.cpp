#include "vroChildProcess.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include <windows.h>

namespace {

HANDLE handleOf(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

std::wstring widen(const std::string& text)
{
    return std::filesystem::u8path(text).wstring();
}

// One argument as the C runtime's command-line parser reads it back:
// quoted, with the backslashes before a quote (or the closing one) doubled.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, L'\\');
    return text + L"\"";
}

std::wstring commandLine(const std::vector<std::string>& arguments)
{
    std::wstring line;
    for (const std::string& argument : arguments)
        line += (line.empty() ? L"" : L" ") + quoted(widen(argument));
    return line;
}

// A handle the child takes over.
HANDLE openInherited(const std::wstring& name, DWORD creation)
{
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, creation,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string lastError()
{
    return "Windows error " + std::to_string(GetLastError());
}

// Starts the command line on the three standard handles given, which are all
// the child inherits: one that inherited this program's own standard output
// would keep whoever reads it waiting for its end. A process group of its own
// ignores the console's Ctrl-C; no console window of its own either.
bool createChild(std::wstring line, HANDLE input, HANDLE output, HANDLE error, PROCESS_INFORMATION& started)
{
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = error;
    HANDLE inheritedOnly[] = {input, output, error};
    SIZE_T bytes = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &bytes);
    std::vector<char> list(bytes);
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list.data());
    if (!InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &bytes))
        return false;
    const bool created = UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                   inheritedOnly, sizeof inheritedOnly, nullptr, nullptr)
                         && CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                           CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                                           nullptr, nullptr, &startup.StartupInfo, &started);
    DeleteProcThreadAttributeList(startup.lpAttributeList);
    return created;
}

} // namespace

bool vroChildProcess::Start(const std::vector<std::string>& arguments, const std::filesystem::path& log,
                            std::size_t pipeBytes, std::string& problem)
{
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    if (!CreatePipe(&reading, &writing, &inherited, static_cast<DWORD>(std::min<std::size_t>(pipeBytes, MAXDWORD)))) {
        problem = "cannot make a pipe: " + lastError();
        return false;
    }
    // This end stays ours alone: the child would otherwise hold its own
    // input open and never see its end.
    SetHandleInformation(writing, HANDLE_FLAG_INHERIT, 0);
    const HANDLE logFile = openInherited(log.wstring(), CREATE_ALWAYS);
    const HANDLE nothing = openInherited(L"NUL", OPEN_EXISTING);
    PROCESS_INFORMATION started{};
    const bool ok = logFile != INVALID_HANDLE_VALUE && nothing != INVALID_HANDLE_VALUE
                    && createChild(commandLine(arguments), reading, nothing, logFile, started);
    if (logFile == INVALID_HANDLE_VALUE)
        problem = "cannot write the log \"" + log.u8string() + "\": " + lastError();
    else if (!ok)
        problem = lastError();
    CloseHandle(reading);
    if (logFile != INVALID_HANDLE_VALUE)
        CloseHandle(logFile);
    if (nothing != INVALID_HANDLE_VALUE)
        CloseHandle(nothing);
    if (!ok) {
        CloseHandle(writing);
        return false;
    }
    CloseHandle(started.hThread);
    process = reinterpret_cast<std::intptr_t>(started.hProcess);
    input = reinterpret_cast<std::intptr_t>(writing);
    return true;
}

std::ptrdiff_t vroChildProcess::Write(const std::uint8_t* bytes, std::size_t size)
{
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
    if (!WriteFile(handleOf(input), bytes, chunk, &written, nullptr) || written == 0)
        return -1;
    return static_cast<std::ptrdiff_t>(written);
}

void vroChildProcess::CloseInput()
{
    if (input != -1)
        CloseHandle(handleOf(input));
    input = -1;
}

bool vroChildProcess::Wait(const volatile std::sig_atomic_t* stop)
{
    // Windows delivers no signal into a wait: a raised stop is looked at
    // every tenth of a second.
    constexpr DWORD kStopCheckMilliseconds = 100;
    while (WaitForSingleObject(handleOf(process), kStopCheckMilliseconds) == WAIT_TIMEOUT)
        if (stop && *stop)
            TerminateProcess(handleOf(process), 1);
    DWORD status = 1;
    GetExitCodeProcess(handleOf(process), &status);
    CloseHandle(handleOf(process));
    process = -1;
    return status == 0;
}

void vroChildProcess::Kill()
{
    TerminateProcess(handleOf(process), 1);
    Wait(nullptr);
}

bool vroChildProcess::isRunning() const
{
    return process != -1;
}

// As CreateProcess looks: the working folder (the executable's own, where a
// group puts the ffmpeg.exe that renders its video), then the PATH.
std::string vroChildProcess::Find(const std::string& name)
{
    const std::string file = name + ".exe";
    std::error_code ignored;
    if (std::filesystem::is_regular_file(std::filesystem::u8path(file), ignored))
        return file;
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ';')) {
        const std::filesystem::path candidate = std::filesystem::u8path(folder) / std::filesystem::u8path(file);
        if (!folder.empty() && std::filesystem::is_regular_file(candidate, ignored))
            return candidate.u8string();
    }
    return {};
}

// Windows has no package for it: a download put beside the programs or into
// a folder of the PATH.
std::string vroChildProcess::NotFound(const std::string& name, const std::string&)
{
    return name + ".exe is neither beside the programs nor in a folder of the PATH";
}
