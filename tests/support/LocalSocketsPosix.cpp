#include "LocalSockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LocalSocket BindLoopback(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return kNoSocket;
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return kNoSocket;
    }
    return fd;
}

bool StartListening(LocalSocket socket) { return listen(static_cast<int>(socket), 16) == 0; }

int PortOf(LocalSocket socket)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

LocalSocket AcceptConnection(LocalSocket listener)
{
    const int fd = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? kNoSocket : fd;
}

bool WaitReadable(LocalSocket socket, int milliseconds)
{
    pollfd watched = {static_cast<int>(socket), POLLIN, 0};
    return poll(&watched, 1, milliseconds) > 0;
}

bool SendAll(LocalSocket socket, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = send(static_cast<int>(socket), data, length, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

long ReceiveSome(LocalSocket socket, char* buffer, std::size_t size)
{
    return static_cast<long>(recv(static_cast<int>(socket), buffer, size, 0));
}

void CloseSocket(LocalSocket socket) { close(static_cast<int>(socket)); }

LocalSocket ConnectLoopback(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return kNoSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return kNoSocket;
    }
    return fd;
}
