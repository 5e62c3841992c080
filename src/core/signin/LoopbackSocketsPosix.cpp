#include "core/signin/LoopbackSockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace loopback {

LoopbackSocket ListenOnLoopback(int& port)
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return kNoSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(listener);
        return kNoSocket;
    }
    port = ntohs(address.sin_port);
    return listener;
}

bool WaitReadable(LoopbackSocket socket, int milliseconds)
{
    pollfd watched{static_cast<int>(socket), POLLIN, 0};
    return poll(&watched, 1, milliseconds) > 0;
}

LoopbackSocket AcceptConnection(LoopbackSocket listener)
{
    const int connection = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return connection < 0 ? kNoSocket : connection;
}

long ReceiveSome(LoopbackSocket socket, char* buffer, std::size_t size)
{
    ssize_t got = 0;
    do
        got = recv(static_cast<int>(socket), buffer, size, 0);
    while (got < 0 && errno == EINTR);
    return static_cast<long>(got);
}

bool SendAll(LoopbackSocket socket, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t done =
            send(static_cast<int>(socket), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        sent += static_cast<std::size_t>(done);
    }
    return true;
}

void CloseSocket(LoopbackSocket socket) { close(static_cast<int>(socket)); }

}  // namespace loopback
