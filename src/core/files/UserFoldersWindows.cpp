#include "core/files/UserFolders.h"

#include <shlobj.h>

#include "core/files/WideTextWindows.h"

namespace {

// The variable first, as the shell itself sets it, so that a test can move
// the folder.
std::string KnownFolder(const wchar_t* variable, REFKNOWNFOLDERID id)
{
    wchar_t value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(variable, value, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return Utf8FromWide(std::wstring(value, length));
    PWSTR path = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK)
        folder = Utf8FromWide(path);
    CoTaskMemFree(path);
    return folder;
}

std::string LocalAppData() { return KnownFolder(L"LOCALAPPDATA", FOLDERID_LocalAppData); }

}  // namespace

std::string HomeFolder() { return KnownFolder(L"USERPROFILE", FOLDERID_Profile); }

// The release file and the ledgers of sends go below %LOCALAPPDATA%:
// files of this machine, never roamed.
std::string ConfigFolder() { return LocalAppData(); }

std::string CacheFolder() { return LocalAppData(); }

std::string StateFolder() { return LocalAppData(); }
