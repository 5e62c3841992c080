#include "cli/BrowserLaunch.h"

#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <vector>

extern char** environ;

// xdg-open with the URL as one argument, no shell between. The child gets
// our environment without the secrets a script may have put there, and
// standard output stays ours: scripts read the URL from it.
bool OpenInBrowser(const std::string& url)
{
    std::vector<char*> environment;
    for (char** entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, "VANTREL_SMTP_", 13) != 0)
            environment.push_back(*entry);
    environment.push_back(nullptr);
    std::string program = "xdg-open", argument = url;
    char* arguments[] = {program.data(), argument.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int failed = posix_spawnp(&child, "xdg-open", &actions, nullptr, arguments, environment.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0;
}
