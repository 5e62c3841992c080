#include "core/mail/SmtpTransport.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

#include "core/checks/CurlLibrary.h"

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What a message being uploaded has left to give.
struct Upload {
    const std::string* bytes = nullptr;
    std::size_t offset = 0;
};

std::size_t OnRead(char* buffer, std::size_t size, std::size_t count, void* userData)
{
    auto& upload = *static_cast<Upload*>(userData);
    const std::size_t length = std::min(size * count, upload.bytes->size() - upload.offset);
    std::memcpy(buffer, upload.bytes->data() + upload.offset, length);
    upload.offset += length;
    return length;
}

// "250 queued" or a bare "250" ends a reply; "250-" has more to follow.
bool IsLastReplyLine(const std::string& line)
{
    const auto digit = [&line](std::size_t at) { return std::isdigit(static_cast<unsigned char>(line[at])); };
    return line.size() >= 3 && digit(0) && digit(1) && digit(2) && (line.size() == 3 || line[3] == ' ');
}

// What one exchange with the server showed: its lines (only what the
// server says is kept, since what we send holds the password), and how
// much of the message went out.
struct Exchange {
    std::vector<std::string> serverLines;
    std::size_t messageBytes = 0;
    std::size_t bytesOut = 0;
    std::size_t linesWhenMessageWentOut = std::string::npos;

    bool MessageWentOut() const { return linesWhenMessageWentOut != std::string::npos; }
    // The end of data went out and the last line of the answer to it never
    // came: "250-" lines say only that more is to follow, and the server
    // may still refuse the message in the last one.
    bool AnswerMissing() const
    {
        return MessageWentOut() &&
            std::none_of(serverLines.begin() + static_cast<std::ptrdiff_t>(linesWhenMessageWentOut),
                         serverLines.end(), IsLastReplyLine);
    }
};

int OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* userData)
{
    auto& exchange = *static_cast<Exchange*>(userData);
    if (type == CURLINFO_DATA_OUT) {
        exchange.bytesOut += size;
        if (exchange.messageBytes > 0 && exchange.bytesOut >= exchange.messageBytes &&
            !exchange.MessageWentOut())
            exchange.linesWhenMessageWentOut = exchange.serverLines.size();
        return 0;
    }
    if (type != CURLINFO_HEADER_IN)
        return 0;
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    exchange.serverLines.push_back(std::move(line));
    return 0;
}

// The reply that carried code: curl says QUIT after a refusal, and its
// "221 Bye" is not what the user needs to see.
std::string ReplyWithCode(const std::vector<std::string>& lines, long code)
{
    const std::string prefix = std::to_string(code);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (code != 0 && line->compare(0, prefix.size(), prefix) == 0)
            return *line;
    return lines.empty() || code == 0 ? std::string() : lines.back();
}

int OnProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto& idle = *static_cast<const TransferIdle*>(userData);
    return idle && !idle() ? 1 : 0;
}

bool IsTlsFailure(CURLcode code)
{
    return code == CURLE_USE_SSL_FAILED || code == CURLE_SSL_CONNECT_ERROR ||
        code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CACERT_BADFILE ||
        code == CURLE_SSL_CERTPROBLEM || code == CURLE_SSL_CIPHER || code == CURLE_SSL_ISSUER_ERROR ||
        code == CURLE_SSL_CRL_BADFILE || code == CURLE_SSL_PINNEDPUBKEYNOTMATCH;
}

bool IsAuthenticationFailure(CURLcode code, long reply)
{
    return code == CURLE_LOGIN_DENIED || code == CURLE_AUTH_ERROR || reply == 530 || reply == 534 ||
        reply == 535 || reply == 538;
}

bool IsServerUnreachable(CURLcode code)
{
    return code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_CONNECT ||
        code == CURLE_UNSUPPORTED_PROTOCOL || code == CURLE_URL_MALFORMAT || code == CURLE_FAILED_INIT ||
        code == CURLE_OUT_OF_MEMORY;
}

SendReply Classify(CURLcode code, long reply, const std::string& serverReply, const char* error)
{
    const std::string said = serverReply.empty() ? std::string(error) : serverReply;
    if (code == CURLE_OK)
        return {SendOutcome::Sent, reply, serverReply};
    if (code == CURLE_ABORTED_BY_CALLBACK)
        return {SendOutcome::Cancelled, reply, "cancelled", true};
    if (IsAuthenticationFailure(code, reply))
        return {SendOutcome::Stop, reply, "authentication failed: " + said, false, true};
    if (IsTlsFailure(code))
        return {SendOutcome::Stop, reply, std::string("TLS failed: ") + error};
    if (IsServerUnreachable(code))
        return {SendOutcome::Stop, reply, std::string("the server cannot be reached: ") + error};
    if (code == CURLE_OPERATION_TIMEDOUT)
        return {SendOutcome::Stop, reply, std::string("the server did not finish in time: ") + error};
    if (reply >= 500 && reply <= 599)
        return {SendOutcome::Refused, reply, said};
    if (reply >= 400 && reply <= 499)
        return {SendOutcome::TryAgain, reply, said};
    return {SendOutcome::TryAgain, reply, std::string("the connection failed: ") + error};
}

// Once the message's end went out, the server may have taken it whatever
// went wrong afterwards: only its answer could tell.
SendReply ClassifyExchange(CURLcode code, long reply, const Exchange& exchange, const char* error)
{
    const bool cancelled = code == CURLE_ABORTED_BY_CALLBACK;
    if (code != CURLE_OK && exchange.AnswerMissing())
        return {SendOutcome::InDoubt, reply,
                std::string("the message went out, but the server's answer never came: ") +
                    (cancelled ? "cancelled" : error),
                cancelled};
    return Classify(code, reply, ReplyWithCode(exchange.serverLines, reply), error);
}

// What every connection to the server is set up with: the URL, TLS as the
// URL demands it, the login and the time limits.
void SetConnection(const CurlLibrary& api, CURL* curl, const SmtpServer& server,
                   const ServerSecurity& security, curl_slist* resolve, const std::string& bearer)
{
    api.easySetopt(curl, CURLOPT_URL, server.url.c_str());
    api.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    api.easySetopt(curl, CURLOPT_USE_SSL,
                   security.implicitTls || security.requireStartTls ? CURLUSESSL_ALL : CURLUSESSL_NONE);
    api.easySetopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    api.easySetopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!server.caFile.empty())
        api.easySetopt(curl, CURLOPT_CAINFO, server.caFile.c_str());
    if (!server.user.empty()) {
        api.easySetopt(curl, CURLOPT_USERNAME, server.user.c_str());
        // libcurl takes OAUTHBEARER or XOAUTH2, whichever the server offers.
        if (server.tokens)
            api.easySetopt(curl, CURLOPT_XOAUTH2_BEARER, bearer.c_str());
        else
            api.easySetopt(curl, CURLOPT_PASSWORD, server.password.c_str());
    }
    if (resolve)
        api.easySetopt(curl, CURLOPT_RESOLVE, resolve);
    api.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    api.easySetopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    // A server that stops answering for a minute has dropped the message,
    // and one that keeps talking is stopped by the time limit.
    api.easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    api.easySetopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    api.easySetopt(curl, CURLOPT_TIMEOUT,
                   static_cast<long>(std::max<long long>(1, server.timeLimit.count())));
}

// Closing says QUIT and waits for the answer, up to two minutes even
// after a time limit ran out or Cancel was pressed: the socket of a
// connection in an unknown state is shut first, so nothing is waited for.
void CloseConnection(const CurlLibrary& api, CURL* curl, bool healthy)
{
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (!healthy && api.easyGetinfo(curl, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK &&
        socket != CURL_SOCKET_BAD)
        ShutDownSocket(socket);
    api.easyCleanup(curl);
}

void WatchExchange(const CurlLibrary& api, CURL* curl, Exchange& exchange, const TransferIdle& idle)
{
    api.easySetopt(curl, CURLOPT_VERBOSE, 1L);
    api.easySetopt(curl, CURLOPT_DEBUGFUNCTION, OnDebug);
    api.easySetopt(curl, CURLOPT_DEBUGDATA, &exchange);
    api.easySetopt(curl, CURLOPT_NOPROGRESS, 0L);
    api.easySetopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    api.easySetopt(curl, CURLOPT_XFERINFODATA, &idle);
}

// One part of a dotted quad as every resolver reads it: decimal, 0 to 255,
// without the leading zero that some would take for octal.
bool IsDecimalOctet(std::string_view part)
{
    if (part.empty() || part.size() > 3 || (part.size() > 1 && part.front() == '0'))
        return false;
    int value = 0;
    for (const char c : part) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= 255;
}

}  // namespace

bool IsLoopbackHost(const std::string& host)
{
    const std::string name = Lower(host);
    if (name == "localhost" || name == "localhost." || name == "[::1]" || name == "::1")
        return true;
    std::string_view rest = name;
    std::vector<std::string_view> parts;
    for (std::size_t dot = rest.find('.');; dot = rest.find('.')) {
        parts.push_back(rest.substr(0, dot));
        if (dot == std::string_view::npos)
            break;
        rest.remove_prefix(dot + 1);
    }
    return parts.size() == 4 && parts[0] == "127" && std::all_of(parts.begin(), parts.end(), IsDecimalOctet);
}

ServerSecurity ServerUrlSecurity(const std::string& url) { return ServerUrlSecurity(url, "smtps", "smtp"); }

ServerSecurity ServerUrlSecurity(const std::string& url, const std::string& tlsScheme,
                                 const std::string& plainScheme)
{
    ServerSecurity security;
    const std::string lower = Lower(url);
    std::size_t hostBegin = 0;
    if (lower.compare(0, tlsScheme.size() + 3, tlsScheme + "://") == 0) {
        security.implicitTls = true;
        hostBegin = tlsScheme.size() + 3;
    } else if (lower.compare(0, plainScheme.size() + 3, plainScheme + "://") == 0) {
        hostBegin = plainScheme.size() + 3;
    } else {
        security.problem = "the server URL begins with " + tlsScheme + ":// or " + plainScheme + "://";
        return security;
    }
    for (const char c : url)
        if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) == 0x7f) {
            security.problem = "the server URL holds a blank or a control character";
            return security;
        }
    const std::size_t authorityEnd = std::min(url.find_first_of("/?#", hostBegin), url.size());
    const std::string authority = url.substr(hostBegin, authorityEnd - hostBegin);
    if (authority.find('@') != std::string::npos) {
        security.problem = "the server URL holds a user name; give it as the user instead";
        return security;
    }
    std::string host = authority;
    if (!host.empty() && host.front() == '[')
        host = host.substr(0, host.find(']') + 1);
    else
        host = host.substr(0, host.find(':'));
    if (host.empty()) {
        security.problem = "the server URL names no host";
        return security;
    }
    security.requireStartTls = !security.implicitTls && !IsLoopbackHost(host);
    return security;
}

struct SmtpTransport::Connection {
    CURL* handle = nullptr;
    curl_slist* resolve = nullptr;
    std::string bearer;  // the access token the connection logged in with
};

SmtpTransport::SmtpTransport(SmtpServer server, TransferIdle idle)
    : server_(std::move(server)), idle_(std::move(idle)), connection_(std::make_unique<Connection>())
{
}

SmtpTransport::~SmtpTransport()
{
    if (const CurlLibrary* api = Curl()) {
        if (connection_->handle)
            CloseConnection(*api, connection_->handle, true);
        api->slistFreeAll(connection_->resolve);
    }
}

SendReply SmtpTransport::Send(const std::string& from, const std::string& to, const std::string& message)
{
    SendReply reply = SendOnce(from, to, message, false);
    // The server may take a token as expired before we do; a refused
    // login comes before the message, so it can go again on a new token.
    if (server_.tokens && reply.outcome == SendOutcome::Stop && reply.authenticationFailed)
        reply = SendOnce(from, to, message, true);
    return reply;
}

SendReply SmtpTransport::SendOnce(const std::string& from, const std::string& to, const std::string& message,
                                  bool renewToken)
{
    const ServerSecurity security = ServerUrlSecurity(server_.url);
    if (!security.problem.empty())
        return {SendOutcome::Stop, 0, security.problem};
    const CurlLibrary* api = Curl();
    if (!api)
        return {SendOutcome::Stop, 0, "libcurl cannot be loaded"};
    if (!connection_->resolve)
        for (const std::string& entry : server_.resolve)
            connection_->resolve = api->slistAppend(connection_->resolve, entry.c_str());
    if (server_.tokens) {
        const BearerToken token = server_.tokens->Token(renewToken);
        if (!token.problem.empty())
            return {SendOutcome::Stop, 0, token.problem};
        // A new token means a new login, on a connection of its own.
        if (connection_->handle && token.token != connection_->bearer) {
            CloseConnection(*api, connection_->handle, true);
            connection_->handle = nullptr;
        }
        connection_->bearer = token.token;
    }
    if (!connection_->handle)
        connection_->handle = api->easyInit();
    CURL* curl = connection_->handle;
    if (!curl)
        return {SendOutcome::Stop, 0, "libcurl cannot be started"};
    SetConnection(*api, curl, server_, security, connection_->resolve, connection_->bearer);

    const std::string mailFrom = "<" + from + ">";
    curl_slist* receivers = api->slistAppend(nullptr, ("<" + to + ">").c_str());
    api->easySetopt(curl, CURLOPT_MAIL_FROM, mailFrom.c_str());
    api->easySetopt(curl, CURLOPT_MAIL_RCPT, receivers);
    Upload upload{&message, 0};
    api->easySetopt(curl, CURLOPT_UPLOAD, 1L);
    api->easySetopt(curl, CURLOPT_READFUNCTION, OnRead);
    api->easySetopt(curl, CURLOPT_READDATA, &upload);
    api->easySetopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    Exchange exchange;
    exchange.messageBytes = message.size();
    WatchExchange(*api, curl, exchange, idle_);
    char error[CURL_ERROR_SIZE] = "";
    api->easySetopt(curl, CURLOPT_ERRORBUFFER, error);

    const CURLcode code = api->easyPerform(curl);
    long reply = 0;
    api->easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &reply);
    api->easySetopt(curl, CURLOPT_MAIL_RCPT, static_cast<curl_slist*>(nullptr));
    api->easySetopt(curl, CURLOPT_ERRORBUFFER, static_cast<char*>(nullptr));
    api->slistFreeAll(receivers);
    SendReply result = ClassifyExchange(code, reply, exchange, error[0] ? error : api->easyStrerror(code));
    // A refusal after the message went out is no refused login: sending
    // again on a new token could deliver it twice.
    if (exchange.MessageWentOut())
        result.authenticationFailed = false;
    // After a message of unknown fate the connection is in an unknown state.
    if (result.outcome != SendOutcome::Sent && result.outcome != SendOutcome::Refused) {
        CloseConnection(*api, curl, false);
        connection_->handle = nullptr;
    }
    return result;
}

SendReply CheckMailServer(const SmtpServer& server, TransferIdle idle)
{
    const ServerSecurity security = ServerUrlSecurity(server.url);
    if (!security.problem.empty())
        return {SendOutcome::Stop, 0, security.problem};
    const CurlLibrary* api = Curl();
    if (!api)
        return {SendOutcome::Stop, 0, "libcurl cannot be loaded"};
    CURL* curl = api->easyInit();
    if (!curl)
        return {SendOutcome::Stop, 0, "libcurl cannot be started"};
    BearerToken token;
    if (server.tokens && !(token = server.tokens->Token(false)).problem.empty()) {
        api->easyCleanup(curl);
        return {SendOutcome::Stop, 0, token.problem};
    }
    curl_slist* resolve = nullptr;
    for (const std::string& entry : server.resolve)
        resolve = api->slistAppend(resolve, entry.c_str());
    SetConnection(*api, curl, server, security, resolve, token.token);
    // Connecting is all that is done: the greeting, EHLO, STARTTLS and
    // the login, then the connection is closed with QUIT.
    api->easySetopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    Exchange exchange;
    WatchExchange(*api, curl, exchange, idle);
    char error[CURL_ERROR_SIZE] = "";
    api->easySetopt(curl, CURLOPT_ERRORBUFFER, error);
    const CURLcode code = api->easyPerform(curl);
    long reply = 0;
    api->easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &reply);
    CloseConnection(*api, curl, code == CURLE_OK);
    api->slistFreeAll(resolve);
    SendReply result = Classify(code, reply, ReplyWithCode(exchange.serverLines, reply),
                                error[0] ? error : api->easyStrerror(code));
    if (result.outcome != SendOutcome::Sent)
        result.outcome = SendOutcome::Stop;
    else if (!exchange.serverLines.empty())
        result.reply = exchange.serverLines.back();
    return result;
}
