#include "core/signin/RedirectListener.h"

namespace {

using namespace loopback;

constexpr std::size_t kMaxRequestHead = 16 * 1024;
constexpr int kPollMilliseconds = 200;
// A browser may open a connection ahead and say nothing on it.
constexpr int kSilentConnectionMilliseconds = 2000;

std::string Page(const std::string& status, const std::string& words)
{
    const std::string body =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Vantrel</title></head>"
        "<body><p>" +
        words + "</p></body></html>\n";
    return "HTTP/1.1 " + status +
        "\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\nConnection: close\r\n"
        "Content-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The head of one request, or empty when the connection said nothing in
// time or too much.
std::string ReadHead(LoopbackSocket connection)
{
    std::string head;
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() <= kMaxRequestHead) {
        if (!WaitReadable(connection, kSilentConnectionMilliseconds))
            return {};
        const long got = ReceiveSome(connection, buffer, sizeof buffer);
        if (got <= 0)
            return head.find("\r\n") == std::string::npos ? std::string() : head;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    return head.size() > kMaxRequestHead ? std::string() : head;
}

}  // namespace

std::string RequestTarget(const std::string& head)
{
    const std::string line = head.substr(0, head.find("\r\n"));
    if (line.compare(0, 4, "GET ") != 0)
        return {};
    const std::size_t end = line.find(' ', 4);
    if (end == std::string::npos || line.compare(end, 6, " HTTP/") != 0)
        return {};
    return line.substr(4, end - 4);
}

using namespace loopback;

RedirectListener::~RedirectListener()
{
    if (listener_ != kNoSocket)
        CloseSocket(listener_);
}

Result<> RedirectListener::Open()
{
    listener_ = ListenOnLoopback(port_);
    if (listener_ == kNoSocket)
        return Failure::CannotOpen;
    return Done();
}

std::string RedirectListener::RedirectUri() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

RedirectOutcome RedirectListener::Wait(const std::string& expectedState, std::chrono::milliseconds limit,
                                       const std::function<bool()>& keepWaiting)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    RedirectOutcome outcome{"", "the sign-in was cancelled"};
    while (listener_ != kNoSocket) {
        if (keepWaiting && !keepWaiting())
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            outcome.problem = "the browser did not come back from the sign-in in time";
            break;
        }
        if (!WaitReadable(listener_, kPollMilliseconds))
            continue;
        const LoopbackSocket connection = AcceptConnection(listener_);
        if (connection == kNoSocket)
            continue;
        const std::string target = RequestTarget(ReadHead(connection));
        if (target.empty() || target.substr(0, target.find('?')) != "/") {
            // The browser's own asks (a favicon) and strangers' requests do
            // not end the sign-in.
            SendAll(connection, Page("404 Not Found", "Not found."));
            CloseSocket(connection);
            continue;
        }
        outcome = ReadRedirect(target, expectedState);
        // Closed before the page goes back, so that whatever the browser
        // sends after it finds no one.
        CloseSocket(listener_);
        listener_ = kNoSocket;
        SendAll(connection,
                outcome.problem.empty()
                    ? Page("200 OK", "Vantrel has the sign-in. You may close this page.")
                    : Page("400 Bad Request", "Vantrel did not take this sign-in. You may close this page."));
        CloseSocket(connection);
        break;
    }
    if (listener_ != kNoSocket)
        CloseSocket(listener_);
    listener_ = kNoSocket;
    return outcome;
}
