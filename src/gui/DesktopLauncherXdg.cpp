#include "gui/DesktopLauncher.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>

#include "core/release/MailtoRequest.h"

extern char** environ;

namespace {

// xdg-open ends at once when the desktop's own opener takes the request,
// but without one it runs the program it found itself and stays as long
// as that program: still running after this long, it found one.
constexpr auto kLaunchAnswerTime = std::chrono::seconds(3);
constexpr auto kLaunchPollTime = std::chrono::milliseconds(20);

// Whether xdg-open found a program: its exit status, or that it still runs.
bool LaunchAnswered(pid_t pid)
{
    const auto deadline = std::chrono::steady_clock::now() + kLaunchAnswerTime;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        // Reaped elsewhere, nothing is known of it: not claimed as opened.
        if (ended < 0 && errno != EINTR)
            return false;
        std::this_thread::sleep_for(kLaunchPollTime);
    }
    // Reaped whenever the program it runs ends, without a zombie meanwhile.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

}  // namespace

bool OpenWithSystemDesktop(const std::string& target)
{
    std::string program = "xdg-open";
    std::string argument = target;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    return LaunchAnswered(pid);
}

std::size_t MaxLaunchRequestBytes() { return kMaxLaunchArgumentBytes; }
