#include "ProcessRunner.h"

#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

ChildProcess StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& in, const std::string& out, const std::string& err)
{
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open(in.c_str(), O_RDONLY), 0);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int WaitForProcess(ChildProcess child)
{
    int status = 0;
    if (child <= 0 || waitpid(static_cast<pid_t>(child), &status, 0) < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void KillProcess(ChildProcess child) { kill(static_cast<pid_t>(child), SIGKILL); }

std::string AsPrinted(const std::string& text) { return text; }
