#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LocalSockets.h"

// A small HTTP/1.1 server on 127.0.0.1 with a port of the system's choice,
// answering from its own threads. Routes are set before or while it runs;
// an unknown path gets 404. Every answer closes the connection.
class LocalHttpServer {
public:
    struct Route {
        int status = 200;
        std::int64_t bodySize = 0;  // bytes of filler, generated while sending
        std::string body;  // sent instead of filler when not empty
        std::string location;  // a Location header when not empty
        bool stall = false;  // accept, read the request, then send nothing
        int trickleMilliseconds = 0;  // filler sent one byte at a time with this pause
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool IsRunning() const { return listenFd_ != kNoSocket; }
    int port() const { return port_; }
    std::string Url(const std::string& path) const;

    void Serve(const std::string& path, const Route& route);
    void ServeBody(const std::string& path, std::int64_t size);
    void ServeStatus(const std::string& path, int status);
    void ServeRedirect(const std::string& path, const std::string& location);
    void ServeStall(const std::string& path);
    void ServeTrickle(const std::string& path, std::int64_t size, int millisecondsPerByte);

    // The User-Agent header of the last request, and how many were served.
    std::string LastUserAgent() const;
    int RequestCount() const;

private:
    void AcceptLoop();
    void HandleConnection(LocalSocket fd);
    void SendAnswer(LocalSocket fd, const Route& route);
    void WaitForPeerToClose(LocalSocket fd);
    void SendFiller(LocalSocket fd, std::int64_t length, int trickleMilliseconds);
    bool Pause(int milliseconds);
    bool FindRoute(const std::string& path, Route& route) const;

    LocalSocket listenFd_ = kNoSocket;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;
    std::vector<std::thread> connections_;
    mutable std::mutex mutex_;
    std::map<std::string, Route> routes_;
    std::string lastUserAgent_;
    int requestCount_ = 0;
};

// A port on 127.0.0.1 that nobody listens on: bound once, then closed.
int RefusedPort();
