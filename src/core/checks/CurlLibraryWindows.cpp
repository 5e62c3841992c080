#include "core/checks/CurlLibrary.h"

#include <string>

#include <windows.h>
#include <winsock2.h>

// The Schannel libcurl that the installation puts beside the program, never
// one found on PATH or in the current folder.
void* OpenCurlLibrary()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return nullptr;
    std::wstring file(path, length);
    file = file.substr(0, file.find_last_of(L'\\') + 1) + L"libcurl-4.dll";
    return LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* CurlFunction(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void ShutDownSocket(curl_socket_t socket) { shutdown(socket, SD_BOTH); }

bool WaitForSocket(curl_socket_t socket, bool writing, int milliseconds)
{
    WSAPOLLFD watched{socket, static_cast<SHORT>(writing ? POLLOUT : POLLIN), 0};
    return WSAPoll(&watched, 1, milliseconds) > 0;
}
