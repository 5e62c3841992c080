#include "LocalSockets.h"

#include <winsock2.h>

namespace {

SOCKET Native(LocalSocket socket) { return static_cast<SOCKET>(socket); }

// Winsock works only once started; the servers live until the program ends.
bool Started()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

}  // namespace

LocalSocket BindLoopback(int port)
{
    if (!Started())
        return kNoSocket;
    const SOCKET made = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (made == INVALID_SOCKET)
        return kNoSocket;
    // Not SO_REUSEADDR: on Windows it lets another socket take a port in use.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    if (bind(made, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(made);
        return kNoSocket;
    }
    return static_cast<LocalSocket>(made);
}

bool StartListening(LocalSocket socket) { return listen(Native(socket), 16) == 0; }

int PortOf(LocalSocket socket)
{
    sockaddr_in address{};
    int length = sizeof address;
    getsockname(Native(socket), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

LocalSocket AcceptConnection(LocalSocket listener)
{
    const SOCKET accepted = accept(Native(listener), nullptr, nullptr);
    return accepted == INVALID_SOCKET ? kNoSocket : static_cast<LocalSocket>(accepted);
}

bool WaitReadable(LocalSocket socket, int milliseconds)
{
    WSAPOLLFD watched = {Native(socket), POLLRDNORM, 0};
    return WSAPoll(&watched, 1, milliseconds) > 0;
}

bool SendAll(LocalSocket socket, const char* data, std::size_t length)
{
    while (length > 0) {
        const int n = send(Native(socket), data, static_cast<int>(length < 65536 ? length : 65536), 0);
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

long ReceiveSome(LocalSocket socket, char* buffer, std::size_t size)
{
    return recv(Native(socket), buffer, static_cast<int>(size), 0);
}

void CloseSocket(LocalSocket socket) { closesocket(Native(socket)); }

LocalSocket ConnectLoopback(int port)
{
    if (!Started())
        return kNoSocket;
    const SOCKET made = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (made == INVALID_SOCKET)
        return kNoSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    if (connect(made, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(made);
        return kNoSocket;
    }
    return static_cast<LocalSocket>(made);
}
