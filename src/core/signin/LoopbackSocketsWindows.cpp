#include "core/signin/LoopbackSockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

bool StartWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SOCKET Native(loopback::LoopbackSocket socket) { return static_cast<SOCKET>(socket); }

}  // namespace

namespace loopback {

LoopbackSocket ListenOnLoopback(int& port)
{
    if (!StartWinsock())
        return kNoSocket;
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return kNoSocket;
    // No other program may take over the port while we listen.
    BOOL exclusive = TRUE;
    setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener);
        return kNoSocket;
    }
    port = ntohs(address.sin_port);
    return static_cast<LoopbackSocket>(listener);
}

bool WaitReadable(LoopbackSocket socket, int milliseconds)
{
    WSAPOLLFD watched{Native(socket), POLLRDNORM, 0};
    return WSAPoll(&watched, 1, milliseconds) > 0;
}

LoopbackSocket AcceptConnection(LoopbackSocket listener)
{
    const SOCKET connection = accept(Native(listener), nullptr, nullptr);
    return connection == INVALID_SOCKET ? kNoSocket : static_cast<LoopbackSocket>(connection);
}

long ReceiveSome(LoopbackSocket socket, char* buffer, std::size_t size)
{
    return recv(Native(socket), buffer, static_cast<int>(size), 0);
}

bool SendAll(LoopbackSocket socket, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const int done = send(Native(socket), bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (done <= 0)
            return false;
        sent += static_cast<std::size_t>(done);
    }
    return true;
}

void CloseSocket(LoopbackSocket socket) { closesocket(Native(socket)); }

}  // namespace loopback
