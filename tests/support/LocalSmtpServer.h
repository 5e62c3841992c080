#pragma once

#include <string>
#include <vector>

// smtp_server.py (Debian's aiosmtpd) on 127.0.0.1 for as long as this
// object lives; every message it accepts lands in a folder of its own.
class LocalSmtpServer {
public:
    // arguments go to the script after --dir: --script ADDRESS=451, --starttls CERT KEY, ...
    explicit LocalSmtpServer(const std::string& folder, const std::vector<std::string>& arguments = {});
    // Another server script of this folder that says "port N" the same way
    // and ends when its standard input closes (oauth_server.py).
    LocalSmtpServer(const std::string& folder, const std::vector<std::string>& arguments,
                    const std::string& script);
    ~LocalSmtpServer();
    LocalSmtpServer(const LocalSmtpServer&) = delete;
    LocalSmtpServer& operator=(const LocalSmtpServer&) = delete;

    int port() const { return port_; }
    std::string Url(const std::string& scheme = "smtp", const std::string& host = "127.0.0.1") const;
    // The envelope receivers of the accepted messages, in order.
    std::vector<std::string> Receivers() const;
    // The accepted messages, in order.
    std::vector<std::string> Messages() const;
    // Blocks until the server prints a line that begins with prefix.
    std::string WaitForLine(const std::string& prefix);
    // A line to the script's standard input.
    void SendLine(const std::string& line);

private:
    std::string folder_;
    int pid_ = -1;
    int input_ = -1;  // the script ends when this closes
    int output_ = -1;
    int port_ = 0;
};

// A throw-away key and certificate for name, made with openssl; the
// certificate is its own authority.
struct TestCertificate {
    std::string certificate;
    std::string key;
};
TestCertificate MakeTestCertificate(const std::string& folder, const std::string& name);
