#include "LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace {

int BindLoopback(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int PortOf(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

bool SendAll(int fd, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = send(fd, data, length, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string ReadRequestHead(int fd)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    return head;
}

std::string RequestPath(const std::string& head)
{
    const std::size_t start = head.find(' ');
    if (start == std::string::npos)
        return {};
    const std::size_t end = head.find(' ', start + 1);
    return head.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

std::string HeaderValue(const std::string& head, const std::string& name)
{
    std::string lowered = head;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string key = "\r\n" + name + ":";
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::size_t start = lowered.find(key);
    if (start == std::string::npos)
        return {};
    start += key.size();
    while (start < head.size() && head[start] == ' ')
        ++start;
    return head.substr(start, head.find("\r\n", start) - start);
}

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

}  // namespace

LocalHttpServer::LocalHttpServer()
{
    if (pipe(wakePipe_) != 0)
        return;
    listenFd_ = BindLoopback(0);
    if (listenFd_ < 0 || listen(listenFd_, 16) != 0)
        return;
    port_ = PortOf(listenFd_);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stopping_ = true;
    if (wakePipe_[1] >= 0) {
        const char wake = 'x';
        [[maybe_unused]] ssize_t ignored = write(wakePipe_[1], &wake, 1);
    }
    if (acceptThread_.joinable())
        acceptThread_.join();
    for (std::thread& connection : connections_)
        connection.join();
    for (int fd : {listenFd_, wakePipe_[0], wakePipe_[1]}) {
        if (fd >= 0)
            close(fd);
    }
}

std::string LocalHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LocalHttpServer::Serve(const std::string& path, const Route& route)
{
    std::lock_guard lock(mutex_);
    routes_[path] = route;
}

void LocalHttpServer::ServeBody(const std::string& path, std::int64_t size)
{
    Route route;
    route.bodySize = size;
    Serve(path, route);
}

void LocalHttpServer::ServeStatus(const std::string& path, int status)
{
    Route route;
    route.status = status;
    route.body = "status " + std::to_string(status) + "\n";
    Serve(path, route);
}

void LocalHttpServer::ServeRedirect(const std::string& path, const std::string& location)
{
    Route route;
    route.status = 302;
    route.location = location;
    Serve(path, route);
}

void LocalHttpServer::ServeStall(const std::string& path)
{
    Route route;
    route.stall = true;
    Serve(path, route);
}

void LocalHttpServer::ServeTrickle(const std::string& path, std::int64_t size, int millisecondsPerByte)
{
    Route route;
    route.bodySize = size;
    route.trickleMilliseconds = millisecondsPerByte;
    Serve(path, route);
}

std::string LocalHttpServer::LastUserAgent() const
{
    std::lock_guard lock(mutex_);
    return lastUserAgent_;
}

int LocalHttpServer::RequestCount() const
{
    std::lock_guard lock(mutex_);
    return requestCount_;
}

bool LocalHttpServer::FindRoute(const std::string& path, Route& route) const
{
    std::lock_guard lock(mutex_);
    auto found = routes_.find(path);
    if (found == routes_.end())
        return false;
    route = found->second;
    return true;
}

void LocalHttpServer::AcceptLoop()
{
    while (!stopping_) {
        pollfd watched[2] = {{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0)
            continue;
        if (stopping_ || (watched[1].revents & POLLIN))
            break;
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            connections_.emplace_back([this, fd] { HandleConnection(fd); });
    }
}

void LocalHttpServer::HandleConnection(int fd)
{
    const std::string head = ReadRequestHead(fd);
    Route route;
    if (!FindRoute(RequestPath(head), route)) {
        route.status = 404;
        route.body = "not found\n";
    }
    {
        std::lock_guard lock(mutex_);
        lastUserAgent_ = HeaderValue(head, "User-Agent");
        ++requestCount_;
    }
    if (route.stall)
        WaitForPeerToClose(fd);
    else
        SendAnswer(fd, route);
    close(fd);
}

void LocalHttpServer::SendAnswer(int fd, const Route& route)
{
    const std::int64_t length =
        route.body.empty() ? route.bodySize : static_cast<std::int64_t>(route.body.size());
    std::string head = "HTTP/1.1 " + std::to_string(route.status) + " " + ReasonPhrase(route.status) + "\r\n";
    head += "Content-Length: " + std::to_string(length) + "\r\n";
    if (!route.location.empty())
        head += "Location: " + route.location + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (!SendAll(fd, head.data(), head.size()))
        return;
    if (!route.body.empty()) {
        SendAll(fd, route.body.data(), route.body.size());
        return;
    }
    SendFiller(fd, length, route.trickleMilliseconds);
}

void LocalHttpServer::SendFiller(int fd, std::int64_t length, int trickleMilliseconds)
{
    const std::string filler(65536, 'v');
    const std::int64_t chunkSize = trickleMilliseconds > 0 ? 1 : static_cast<std::int64_t>(filler.size());
    for (std::int64_t left = length; left > 0 && !stopping_;) {
        const std::size_t chunk = static_cast<std::size_t>(std::min(left, chunkSize));
        if (!SendAll(fd, filler.data(), chunk))
            return;
        left -= static_cast<std::int64_t>(chunk);
        if (trickleMilliseconds > 0 && !Pause(trickleMilliseconds))
            return;
    }
}

// False when the server is being stopped.
bool LocalHttpServer::Pause(int milliseconds)
{
    pollfd wake = {wakePipe_[0], POLLIN, 0};
    return poll(&wake, 1, milliseconds) == 0;
}

void LocalHttpServer::WaitForPeerToClose(int fd)
{
    char buffer[256];
    while (!stopping_) {
        pollfd watched[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0)
            continue;
        if (watched[1].revents & POLLIN)
            return;
        if (recv(fd, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}

int RefusedPort()
{
    const int fd = BindLoopback(0);
    if (fd < 0)
        return 1;
    const int port = PortOf(fd);
    close(fd);
    return port;
}
