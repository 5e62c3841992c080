#pragma once

#include <cstddef>

#include <curl/curl.h>

// libcurl, loaded when the first URL is probed rather than when the
// program starts: it brings two dozen libraries (TLS, Kerberos, LDAP, SSH)
// that every start of the window would otherwise pay for.
struct CurlLibrary {
    CURLcode (*globalInit)(long flags);
    void (*globalCleanup)();
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL* handle, CURLoption option, ...);
    CURLcode (*easyPerform)(CURL* handle);
    void (*easyCleanup)(CURL* handle);
    void (*easyReset)(CURL* handle);
    CURLcode (*easyGetinfo)(CURL* handle, CURLINFO info, ...);
    // A connection opened with CURLOPT_CONNECT_ONLY, spoken to directly.
    CURLcode (*easySend)(CURL* handle, const void* buffer, std::size_t length, std::size_t* sent);
    CURLcode (*easyRecv)(CURL* handle, void* buffer, std::size_t length, std::size_t* received);
    curl_slist* (*slistAppend)(curl_slist* list, const char* text);
    void (*slistFreeAll)(curl_slist* list);
    const char* (*easyStrerror)(CURLcode code);
};

// Loaded and initialized once; nullptr when libcurl cannot be found.
const CurlLibrary* Curl();

// The platform's side (CurlLibraryPosix.cpp, CurlLibraryWindows.cpp):
// the library opened, or nullptr, and one of its functions by name.
void* OpenCurlLibrary();
void* CurlFunction(void* library, const char* name);

// Ends both directions of a connection's socket at once, so that closing
// the connection does not wait for a server that stopped answering.
void ShutDownSocket(curl_socket_t socket);

// Waits until the socket can be read (or written) or milliseconds pass;
// false when they passed.
bool WaitForSocket(curl_socket_t socket, bool writing, int milliseconds);
