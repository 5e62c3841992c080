#include "ProcessRunner.h"

#include <windows.h>

namespace {

// What a killed program ends with, so that a kill reads as on POSIX.
constexpr DWORD kKilledCode = 0x4B494C4C;

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

// Quoted so that the C runtime's parser gives the child the argument back
// unchanged: backslashes count only before a quotation mark.
std::wstring Quoted(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

HANDLE OpenInherited(const std::string& path, bool write)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(Wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ChildProcess StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& in, const std::string& out, const std::string& err)
{
    std::wstring line = Quoted(Wide(program));
    for (const std::string& argument : arguments)
        line += L" " + Quoted(Wide(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = OpenInherited(in, false);
    startup.hStdOutput = OpenInherited(out, true);
    startup.hStdError = OpenInherited(err, true);
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessW(Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                                   CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    if (!ok)
        return 0;
    CloseHandle(started.hThread);
    return reinterpret_cast<ChildProcess>(started.hProcess);
}

int WaitForProcess(ChildProcess child)
{
    const HANDLE process = reinterpret_cast<HANDLE>(child);
    if (!process)
        return -1;
    DWORD code = 0;
    const bool ended =
        WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return ended && code != kKilledCode ? static_cast<int>(code) : -1;
}

void KillProcess(ChildProcess child) { TerminateProcess(reinterpret_cast<HANDLE>(child), kKilledCode); }

std::string AsPrinted(const std::string& text)
{
    std::string printed;
    for (char c : text) {
        if (c == '\n')
            printed += '\r';
        printed += c;
    }
    return printed;
}
