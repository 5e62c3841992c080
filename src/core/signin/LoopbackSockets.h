#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The platform's side of the redirect listener (LoopbackSocketsPosix.cpp,
// LoopbackSocketsWindows.cpp): TCP on 127.0.0.1 only.
namespace loopback {

using LoopbackSocket = std::intptr_t;
inline constexpr LoopbackSocket kNoSocket = -1;

// Listens on 127.0.0.1 at a free port the system picks; kNoSocket when it
// cannot.
LoopbackSocket ListenOnLoopback(int& port);
// True when the socket has something to read (or to accept) within
// milliseconds.
bool WaitReadable(LoopbackSocket socket, int milliseconds);
LoopbackSocket AcceptConnection(LoopbackSocket listener);
// Bytes read into buffer; 0 at the end, below 0 on failure.
long ReceiveSome(LoopbackSocket socket, char* buffer, std::size_t size);
bool SendAll(LoopbackSocket socket, const std::string& bytes);
void CloseSocket(LoopbackSocket socket);

}  // namespace loopback
