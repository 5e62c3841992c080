#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// An OAuth 2.0 access token for the server, or why there is none.
struct BearerToken {
    std::string token;
    std::string problem;  // empty when token may be used
    bool signInAgain = false;  // the provider refused: only a new sign-in helps
};

// Where access tokens come from: asked before every message, it hands out
// the one it holds while that lives, and a new one when renew is set
// (the server refused the last).
class AccessTokenSource {
public:
    virtual ~AccessTokenSource() = default;
    virtual BearerToken Token(bool renew) = 0;
};

// The user's mail server and how to reach it. The password lives only in
// memory.
struct SmtpServer {
    std::string url;  // smtps://host[:port] or smtp://host[:port]
    std::string user;  // no authentication when empty
    std::string password;
    // Set: the login is SASL XOAUTH2 or OAUTHBEARER with its tokens, not the password.
    std::shared_ptr<AccessTokenSource> tokens;
    std::string caFile;  // certificates to trust besides the system's
    std::vector<std::string> resolve;  // "host:port:address", as curl's --resolve
    // A message that takes longer than this, however busily the server
    // talks, has failed.
    std::chrono::seconds timeLimit{300};
};

// What the URL says about the connection: TLS from the start (smtps),
// STARTTLS required (smtp), or plain text, which only a server on this
// machine may be spoken to in.
struct ServerSecurity {
    std::string problem;  // why the URL cannot be used; empty when it can
    bool implicitTls = false;
    bool requireStartTls = false;
};
ServerSecurity ServerUrlSecurity(const std::string& url);
// The same for another protocol's pair of schemes ("imaps", "imap").
ServerSecurity ServerUrlSecurity(const std::string& url, const std::string& tlsScheme,
                                 const std::string& plainScheme);

// localhost, ::1 and 127.0.0.0/8 written as four decimal parts of 0 to 255,
// as literally written: what a name, or a shortened or octal address,
// resolves to is the resolver's to decide, and not known before connecting.
bool IsLoopbackHost(const std::string& host);

// How one message fared.
enum class SendOutcome {
    Sent,  // 2xx
    TryAgain,  // 4xx, or the connection dropped before the message's end went out
    Refused,  // 5xx for this receiver
    Stop,  // TLS, authentication or the server itself failed: nothing more can go
    InDoubt,  // the message's end went out, but the last line of the server's answer never came
    Cancelled,  // the user stopped the message before its end went out
};
struct SendReply {
    SendOutcome outcome = SendOutcome::Stop;
    long code = 0;  // the server's last reply code, 0 when there was none
    std::string reply;  // the server's last reply, or what went wrong
    bool cancelled = false;  // the user stopped it, whatever its outcome
    bool authenticationFailed = false;  // the server refused the login
};

// Hands messages to a server, one envelope receiver each.
class MailTransport {
public:
    virtual ~MailTransport() = default;
    virtual SendReply Send(const std::string& from, const std::string& to, const std::string& message) = 0;
};

// Called while a message travels, so that a window can keep painting;
// false aborts the message at once.
using TransferIdle = std::function<bool()>;

// SMTP through libcurl, one connection kept open across messages and
// opened again when the server drops it.
class SmtpTransport : public MailTransport {
public:
    explicit SmtpTransport(SmtpServer server, TransferIdle idle = {});
    ~SmtpTransport() override;
    SmtpTransport(const SmtpTransport&) = delete;
    SmtpTransport& operator=(const SmtpTransport&) = delete;

    SendReply Send(const std::string& from, const std::string& to, const std::string& message) override;

private:
    SendReply SendOnce(const std::string& from, const std::string& to, const std::string& message,
                       bool renewToken);

    struct Connection;
    SmtpServer server_;
    TransferIdle idle_;
    std::unique_ptr<Connection> connection_;
};

// Connects, says hello, starts TLS and logs in as a send would, then
// leaves without sending anything. Sent when all of that worked; Stop with
// what went wrong otherwise. reply holds the server's last words.
SendReply CheckMailServer(const SmtpServer& server, TransferIdle idle = {});
