#include "LocalHttpServer.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace {

// How long a wait lasts before it looks whether the server is stopping.
constexpr int kStopCheckMilliseconds = 50;

std::string ReadRequestHead(LocalSocket fd)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const long n = ReceiveSome(fd, buffer, sizeof buffer);
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
    listenFd_ = BindLoopback(0);
    if (listenFd_ == kNoSocket)
        return;
    if (!StartListening(listenFd_)) {
        CloseSocket(listenFd_);
        listenFd_ = kNoSocket;
        return;
    }
    port_ = PortOf(listenFd_);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stopping_ = true;
    if (acceptThread_.joinable())
        acceptThread_.join();
    for (std::thread& connection : connections_)
        connection.join();
    if (listenFd_ != kNoSocket)
        CloseSocket(listenFd_);
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
        if (!WaitReadable(listenFd_, kStopCheckMilliseconds))
            continue;
        const LocalSocket fd = AcceptConnection(listenFd_);
        if (fd != kNoSocket)
            connections_.emplace_back([this, fd] { HandleConnection(fd); });
    }
}

void LocalHttpServer::HandleConnection(LocalSocket fd)
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
    CloseSocket(fd);
}

void LocalHttpServer::SendAnswer(LocalSocket fd, const Route& route)
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

void LocalHttpServer::SendFiller(LocalSocket fd, std::int64_t length, int trickleMilliseconds)
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
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stopping_ && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min(milliseconds, kStopCheckMilliseconds)));
    return !stopping_;
}

void LocalHttpServer::WaitForPeerToClose(LocalSocket fd)
{
    char buffer[256];
    while (!stopping_) {
        if (WaitReadable(fd, kStopCheckMilliseconds) && ReceiveSome(fd, buffer, sizeof buffer) <= 0)
            return;
    }
}

int RefusedPort()
{
    const LocalSocket fd = BindLoopback(0);
    if (fd == kNoSocket)
        return 1;
    const int port = PortOf(fd);
    CloseSocket(fd);
    return port;
}
