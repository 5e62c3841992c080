#include "core/replies/ImapSession.h"

#include <algorithm>
#include <cstring>

#include "core/mail/SmtpTransport.h"
#include "core/replies/MailboxReader.h"

namespace {

constexpr std::size_t kReceiveBytes = 256 * 1024;
// A SEARCH answer for a million messages is about 7 MB.
constexpr std::size_t kLongestLine = 32u << 20;
constexpr std::size_t kLongestLiteralDigits = 18;

// The server's last line during the login, without its tag: what a refusal said.
int OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* userData)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    const std::size_t space = line.find(' ');
    *static_cast<std::string*>(userData) = space == std::string::npos ? line : line.substr(space + 1);
    return 0;
}

std::string LoginProblem(CURLcode code, const std::string& said, const char* error)
{
    switch (code) {
    case CURLE_LOGIN_DENIED:
    case CURLE_AUTH_ERROR:
        return "the server refused the login: " + (said.empty() ? std::string(error) : said);
    case CURLE_OPERATION_TIMEDOUT: return "the server stopped answering";
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT: return std::string("the server cannot be reached: ") + error;
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE: return std::string("TLS failed: ") + error;
    default: return std::string("the connection failed: ") + error;
    }
}

// The URL without its path: the mailbox is examined by us, not by libcurl.
std::string ServerPart(const std::string& url)
{
    const std::size_t authority = url.find("://");
    const std::size_t path = url.find_first_of("/?#", authority == std::string::npos ? 0 : authority + 3);
    return url.substr(0, path) + "/";
}

}  // namespace

ImapLogin LogInToImap(const CurlLibrary& api, const ImapMailbox& mailbox, const ServerSecurity& security,
                      const std::string& bearer)
{
    ImapLogin login;
    CURL* curl = api.easyInit();
    if (!curl) {
        login.problem = "libcurl cannot be started";
        return login;
    }
    const std::string url = ServerPart(mailbox.url);
    api.easySetopt(curl, CURLOPT_URL, url.c_str());
    api.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "imap,imaps");
    api.easySetopt(curl, CURLOPT_USE_SSL,
                   security.implicitTls || security.requireStartTls ? CURLUSESSL_ALL : CURLUSESSL_NONE);
    api.easySetopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    api.easySetopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!mailbox.caFile.empty())
        api.easySetopt(curl, CURLOPT_CAINFO, mailbox.caFile.c_str());
    api.easySetopt(curl, CURLOPT_USERNAME, mailbox.user.c_str());
    if (mailbox.tokens)
        api.easySetopt(curl, CURLOPT_XOAUTH2_BEARER, bearer.c_str());
    else
        api.easySetopt(curl, CURLOPT_PASSWORD, mailbox.password.c_str());
    curl_slist* resolve = nullptr;
    for (const std::string& entry : mailbox.resolve)
        resolve = api.slistAppend(resolve, entry.c_str());
    if (resolve)
        api.easySetopt(curl, CURLOPT_RESOLVE, resolve);
    api.easySetopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    api.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    const long seconds = static_cast<long>(std::max<long long>(1, mailbox.deadline.count()));
    api.easySetopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
    // Connecting, TLS and the login together: each step may take its time.
    api.easySetopt(curl, CURLOPT_CONNECTTIMEOUT, 3 * seconds);
    std::string said;
    char error[CURL_ERROR_SIZE] = "";
    api.easySetopt(curl, CURLOPT_VERBOSE, 1L);
    api.easySetopt(curl, CURLOPT_DEBUGFUNCTION, OnDebug);
    api.easySetopt(curl, CURLOPT_DEBUGDATA, &said);
    api.easySetopt(curl, CURLOPT_ERRORBUFFER, error);
    const CURLcode code = api.easyPerform(curl);
    // What follows is our own talk, which libcurl must not log.
    api.easySetopt(curl, CURLOPT_VERBOSE, 0L);
    api.easySetopt(curl, CURLOPT_DEBUGDATA, static_cast<void*>(nullptr));
    api.easySetopt(curl, CURLOPT_ERRORBUFFER, static_cast<char*>(nullptr));
    api.easySetopt(curl, CURLOPT_RESOLVE, static_cast<curl_slist*>(nullptr));
    api.slistFreeAll(resolve);
    if (code == CURLE_OK) {
        login.curl = curl;
        return login;
    }
    login.problem = LoginProblem(code, said, error[0] ? error : api.easyStrerror(code));
    login.refused = code == CURLE_LOGIN_DENIED || code == CURLE_AUTH_ERROR;
    CloseImap(api, curl);
    return login;
}

void CloseImap(const CurlLibrary& api, CURL* curl)
{
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (api.easyGetinfo(curl, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK && socket != CURL_SOCKET_BAD)
        ShutDownSocket(socket);
    api.easyCleanup(curl);
}

ImapSession::ImapSession(const CurlLibrary& api, CURL* curl, std::chrono::milliseconds deadline,
                         std::size_t largestLiteral)
    : api_(api), curl_(curl), deadline_(deadline), largestLiteral_(largestLiteral)
{
    if (api.easyGetinfo(curl, CURLINFO_ACTIVESOCKET, &socket_) != CURLE_OK)
        socket_ = CURL_SOCKET_BAD;
}

bool ImapSession::Fail(std::string problem)
{
    if (problem_.empty())
        problem_ = std::move(problem);
    return false;
}

std::string ImapSession::Command(std::string_view command)
{
    std::string tag = "a";
    tag += std::to_string(++tags_);
    std::string line = tag + " ";
    line.append(command);
    line += "\r\n";
    return SendAll(line) ? tag : std::string();
}

bool ImapSession::SendAll(std::string_view bytes)
{
    auto last = std::chrono::steady_clock::now();
    while (!bytes.empty()) {
        std::size_t sent = 0;
        const CURLcode code = api_.easySend(curl_, bytes.data(), bytes.size(), &sent);
        if (code != CURLE_OK && code != CURLE_AGAIN)
            return Fail(std::string("the connection failed: ") + api_.easyStrerror(code));
        bytes.remove_prefix(sent);
        const auto now = std::chrono::steady_clock::now();
        if (sent > 0)
            last = now;
        else if (now - last >= deadline_)
            return Fail("the server stopped answering");
        else if (code == CURLE_AGAIN)
            WaitForSocket(socket_, true,
                          static_cast<int>(
                              std::chrono::ceil<std::chrono::milliseconds>(last + deadline_ - now).count()));
    }
    return true;
}

// Bytes as they come; the deadline runs from the last that came.
bool ImapSession::Receive(char* into, std::size_t room, std::size_t& received)
{
    const auto last = std::chrono::steady_clock::now();
    for (;;) {
        received = 0;
        const CURLcode code = api_.easyRecv(curl_, into, room, &received);
        if (code == CURLE_OK && received > 0)
            return true;
        if (code == CURLE_OK)
            return Fail(farewell_.empty() ? "the server closed the connection"
                                          : "the server closed the connection: " + farewell_);
        if (code != CURLE_AGAIN)
            return Fail(std::string("the connection failed: ") + api_.easyStrerror(code));
        const auto now = std::chrono::steady_clock::now();
        if (now - last >= deadline_)
            return Fail("the server stopped answering");
        WaitForSocket(
            socket_, false,
            static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(last + deadline_ - now).count()));
    }
}

bool ImapSession::Fill()
{
    if (start_ > 0 && (start_ == buffer_.size() || start_ >= kReceiveBytes)) {
        buffer_.erase(0, start_);
        scanned_ -= std::min(scanned_, start_);
        start_ = 0;
    }
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + kReceiveBytes);
    std::size_t received = 0;
    const bool got = Receive(buffer_.data() + kept, kReceiveBytes, received);
    buffer_.resize(kept + received);
    return got;
}

bool ImapSession::ReadLine(std::string& line)
{
    scanned_ = std::max(scanned_, start_);
    for (;;) {
        const std::size_t end = buffer_.find('\n', scanned_);
        if (end != std::string::npos) {
            line.assign(buffer_, start_, end - start_);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            start_ = scanned_ = end + 1;
            return true;
        }
        scanned_ = buffer_.size();
        if (buffer_.size() - start_ > kLongestLine)
            return Fail("the server sent a line too long to read");
        if (!Fill())
            return false;
    }
}

// Exactly size bytes, whatever lines they hold; into null: passed over.
bool ImapSession::ReadLiteral(std::size_t size, std::string* into)
{
    const std::size_t buffered = std::min(size, buffer_.size() - start_);
    if (into)
        into->assign(buffer_, start_, buffered);
    start_ += buffered;
    std::size_t have = buffered;
    if (into)
        into->resize(size);
    while (have < size) {
        std::size_t received = 0;
        if (into) {
            if (!Receive(into->data() + have, size - have, received))
                return false;
        } else {
            if (!Fill())
                return false;
            received = std::min(size - have, buffer_.size() - start_);
            start_ += received;
        }
        have += received;
    }
    return true;
}

bool ImapSession::Next(ImapResponse& response)
{
    response.literal.clear();
    response.hasLiteral = false;
    response.literalTooLarge = false;
    std::string line;
    if (!ReadLine(line))
        return false;
    const std::size_t space = line.find(' ');
    response.tag = line.substr(0, space);
    response.text = space == std::string::npos ? std::string() : line.substr(space + 1);
    // A line that ends in {n} goes on after n bytes.
    while (!response.text.empty() && response.text.back() == '}') {
        const std::size_t open = response.text.rfind('{');
        std::string digits = open == std::string::npos
            ? std::string()
            : response.text.substr(open + 1, response.text.size() - open - 2);
        if (!digits.empty() && digits.back() == '+')
            digits.pop_back();
        if (digits.empty() || digits.size() > kLongestLiteralDigits ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            break;
        const std::size_t size = static_cast<std::size_t>(std::stoull(digits));
        const bool keep = !response.hasLiteral && size <= largestLiteral_;
        if (!response.hasLiteral)
            response.literalTooLarge = !keep;
        response.hasLiteral = true;
        if (!ReadLiteral(size, keep ? &response.literal : nullptr) || !ReadLine(line))
            return false;
        response.text += line;
    }
    if (response.tag == "*" && response.text.compare(0, 4, "BYE ") == 0)
        farewell_ = response.text.substr(4);
    return true;
}
