#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/checks/CurlLibrary.h"

struct ImapMailbox;
struct ServerSecurity;

// A connection that libcurl opened with CURLOPT_CONNECT_ONLY: it connected,
// started TLS and logged in, and went no further, so that nothing of its
// own IMAP (SELECT, BODY[], which mark messages read) reaches the mailbox.
struct ImapLogin {
    CURL* curl = nullptr;  // null when the login failed
    std::string problem;
    bool refused = false;  // the server refused the login itself
};
ImapLogin LogInToImap(const CurlLibrary& api, const ImapMailbox& mailbox, const ServerSecurity& security,
                      const std::string& bearer);
// Closes without waiting for the server: the socket is shut first.
void CloseImap(const CurlLibrary& api, CURL* curl);

// One response: an untagged line ("*"), a continuation ("+") or the tagged
// end of a command, with the first literal it carried.
struct ImapResponse {
    std::string tag;
    std::string text;  // the rest, its lines joined; a literal's bytes are left out, its "{n}" stays
    std::string literal;  // the first literal's bytes, when it was within the bound
    bool hasLiteral = false;
    bool literalTooLarge = false;  // it was not: its bytes went by unkept
};

// IMAP spoken over that connection: commands out, responses in, each
// literal taken by its byte count.
class ImapSession {
public:
    ImapSession(const CurlLibrary& api, CURL* curl, std::chrono::milliseconds deadline,
                std::size_t largestLiteral);

    // Sends the command under a new tag and gives the tag; empty when it
    // could not go (problem() says why).
    std::string Command(std::string_view command);
    // The next response; false when none came, within the deadline since
    // the server last said anything.
    bool Next(ImapResponse& response);
    const std::string& problem() const { return problem_; }

private:
    bool SendAll(std::string_view bytes);
    bool Receive(char* into, std::size_t room, std::size_t& received);
    bool Fill();
    bool ReadLine(std::string& line);
    bool ReadLiteral(std::size_t size, std::string* into);
    bool Fail(std::string problem);

    const CurlLibrary& api_;
    CURL* curl_;
    curl_socket_t socket_ = CURL_SOCKET_BAD;
    std::chrono::milliseconds deadline_;
    std::size_t largestLiteral_;
    std::string buffer_;
    std::size_t start_ = 0;  // what is before it has been taken
    std::size_t scanned_ = 0;  // searched for a line's end up to here
    unsigned tags_ = 0;
    std::string farewell_;  // the server's BYE, said before it closes
    std::string problem_;
};
