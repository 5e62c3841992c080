#include "core/checks/CurlLibrary.h"

#include <dlfcn.h>
#include <poll.h>
#include <sys/socket.h>

// Debian's libcurl4 (OpenSSL) or, failing that, libcurl3-gnutls.
void* OpenCurlLibrary()
{
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    return library ? library : dlopen("libcurl-gnutls.so.4", RTLD_NOW | RTLD_LOCAL);
}

void* CurlFunction(void* library, const char* name) { return dlsym(library, name); }

void ShutDownSocket(curl_socket_t socket) { shutdown(socket, SHUT_RDWR); }

bool WaitForSocket(curl_socket_t socket, bool writing, int milliseconds)
{
    pollfd watched{socket, static_cast<short>(writing ? POLLOUT : POLLIN), 0};
    return poll(&watched, 1, milliseconds) > 0;
}
