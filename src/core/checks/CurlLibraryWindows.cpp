#include "core/checks/CurlLibrary.h"

#include <cstdlib>
#include <string>

#include <windows.h>

namespace {

template <typename Function> bool Resolve(HMODULE library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

// The Schannel libcurl that the installation puts beside the program, never
// one found on PATH or in the current folder.
HMODULE LoadBesideProgram()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return nullptr;
    std::wstring file(path, length);
    file = file.substr(0, file.find_last_of(L'\\') + 1) + L"libcurl-4.dll";
    return LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const CurlLibrary* Load()
{
    static CurlLibrary curl;
    HMODULE library = LoadBesideProgram();
    if (!library)
        return nullptr;
    const bool complete = Resolve(library, "curl_global_init", curl.globalInit) &&
        Resolve(library, "curl_global_cleanup", curl.globalCleanup) &&
        Resolve(library, "curl_easy_init", curl.easyInit) &&
        Resolve(library, "curl_easy_setopt", curl.easySetopt) &&
        Resolve(library, "curl_easy_perform", curl.easyPerform) &&
        Resolve(library, "curl_easy_cleanup", curl.easyCleanup) &&
        Resolve(library, "curl_easy_reset", curl.easyReset) &&
        Resolve(library, "curl_easy_getinfo", curl.easyGetinfo) &&
        Resolve(library, "curl_slist_append", curl.slistAppend) &&
        Resolve(library, "curl_slist_free_all", curl.slistFreeAll) &&
        Resolve(library, "curl_easy_strerror", curl.easyStrerror);
    if (!complete || curl.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    std::atexit([] { curl.globalCleanup(); });
    return &curl;
}

}  // namespace

const CurlLibrary* Curl()
{
    static const CurlLibrary* const curl = Load();
    return curl;
}
