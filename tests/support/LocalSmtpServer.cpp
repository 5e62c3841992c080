#include "LocalSmtpServer.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

#include "TempHome.h"

namespace {

constexpr const char* kScript = VANTREL_TEST_SUPPORT_DIR "/smtp_server.py";

}  // namespace

LocalSmtpServer::LocalSmtpServer(const std::string& folder, const std::vector<std::string>& arguments)
    : LocalSmtpServer(folder, arguments, kScript)
{
}

LocalSmtpServer::LocalSmtpServer(const std::string& folder, const std::vector<std::string>& arguments,
                                 const std::string& script)
    : folder_(folder)
{
    std::filesystem::create_directories(folder);
    int toServer[2];
    int fromServer[2];
    if (pipe(toServer) != 0 || pipe(fromServer) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> texts = {"/usr/bin/python3", "-W", "ignore", script, "--dir", folder};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(toServer[0], 0);
        dup2(fromServer[1], 1);
        close(toServer[1]);
        close(fromServer[0]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(toServer[0]);
    close(fromServer[1]);
    input_ = toServer[1];
    output_ = fromServer[0];
    port_ = std::atoi(WaitForLine("port ").substr(5).c_str());
    if (port_ == 0)
        throw std::runtime_error("the SMTP server did not start");
}

LocalSmtpServer::~LocalSmtpServer()
{
    close(input_);
    close(output_);
    int status = 0;
    // A handler left hanging keeps the script from ending on its own.
    for (int i = 0; i < 50 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
        usleep(100000);
    if (waitpid(pid_, &status, WNOHANG) == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
}

std::string LocalSmtpServer::Url(const std::string& scheme, const std::string& host) const
{
    return scheme + "://" + host + ":" + std::to_string(port_);
}

std::string LocalSmtpServer::WaitForLine(const std::string& prefix)
{
    std::string line;
    char c = 0;
    while (read(output_, &c, 1) == 1) {
        if (c != '\n') {
            line += c;
            continue;
        }
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line;
        line.clear();
    }
    return {};
}

void LocalSmtpServer::SendLine(const std::string& line)
{
    const std::string bytes = line + "\n";
    if (write(input_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("the server's input is closed");
}

std::vector<std::string> LocalSmtpServer::Receivers() const
{
    std::vector<std::string> receivers;
    std::istringstream lines(ReadFileBytes(folder_ + "/receivers"));
    for (std::string line; std::getline(lines, line);)
        receivers.push_back(line);
    return receivers;
}

std::vector<std::string> LocalSmtpServer::Messages() const
{
    std::vector<std::string> messages;
    for (int number = 1;; ++number) {
        char name[16];
        std::snprintf(name, sizeof name, "/%04d.eml", number);
        if (!FileExists(folder_ + name))
            return messages;
        messages.push_back(ReadFileBytes(folder_ + name));
    }
}

TestCertificate MakeTestCertificate(const std::string& folder, const std::string& name)
{
    const TestCertificate made{folder + "/cert.pem", folder + "/key.pem"};
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=" + name +
        " -addext subjectAltName=DNS:" + name + " -keyout " + made.key + " -out " + made.certificate +
        " 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("openssl cannot make a certificate");
    return made;
}
