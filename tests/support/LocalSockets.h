#pragma once

#include <cstddef>
#include <cstdint>

// TCP on 127.0.0.1 for the test servers: LocalSocketsPosix.cpp and
// LocalSocketsWindows.cpp, chosen in CMake.
using LocalSocket = std::intptr_t;
constexpr LocalSocket kNoSocket = -1;

// Bound to port on 127.0.0.1 (0: one of the system's choice), not yet listening.
LocalSocket BindLoopback(int port);
bool StartListening(LocalSocket socket);
int PortOf(LocalSocket socket);
LocalSocket AcceptConnection(LocalSocket listener);
// A connection to port on 127.0.0.1, or kNoSocket when none listens there.
LocalSocket ConnectLoopback(int port);
// True when bytes or a connection wait on socket within milliseconds.
bool WaitReadable(LocalSocket socket, int milliseconds);
// Whole bytes sent; false when the peer is gone (never a signal).
bool SendAll(LocalSocket socket, const char* data, std::size_t length);
// Bytes received, 0 at the end, below 0 on an error.
long ReceiveSome(LocalSocket socket, char* buffer, std::size_t size);
void CloseSocket(LocalSocket socket);
