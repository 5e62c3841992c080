#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The user's mail server and how to reach it. The password lives only in
// memory.
struct SmtpServer {
    std::string url;  // smtps://host[:port] or smtp://host[:port]
    std::string user;  // no authentication when empty
    std::string password;
    std::string caFile;  // certificates to trust besides the system's
    std::vector<std::string> resolve;  // "host:port:address", as curl's --resolve
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

// localhost, 127.0.0.0/8 and ::1, by name: what a name resolves to is not
// known before connecting.
bool IsLoopbackHost(const std::string& host);

// How one message fared.
enum class SendOutcome {
    Sent,  // 2xx
    TryAgain,  // 4xx, or the connection dropped
    Refused,  // 5xx for this receiver
    Stop,  // TLS, authentication or the server itself failed: nothing more can go
};
struct SendReply {
    SendOutcome outcome = SendOutcome::Stop;
    long code = 0;  // the server's last reply code, 0 when there was none
    std::string reply;  // the server's last reply, or what went wrong
};

// Hands messages to a server, one envelope receiver each.
class MailTransport {
public:
    virtual ~MailTransport() = default;
    virtual SendReply Send(const std::string& from, const std::string& to, const std::string& message) = 0;
};

// SMTP through libcurl, one connection kept open across messages and
// opened again when the server drops it. idle is called while a message
// travels, so that a window can keep painting.
class SmtpTransport : public MailTransport {
public:
    explicit SmtpTransport(SmtpServer server, std::function<void()> idle = {});
    ~SmtpTransport() override;
    SmtpTransport(const SmtpTransport&) = delete;
    SmtpTransport& operator=(const SmtpTransport&) = delete;

    SendReply Send(const std::string& from, const std::string& to, const std::string& message) override;

private:
    struct Connection;
    SmtpServer server_;
    std::function<void()> idle_;
    std::unique_ptr<Connection> connection_;
};
