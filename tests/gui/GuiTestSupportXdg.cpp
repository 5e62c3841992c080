// The desktop as the GUI tests see it on Linux: a recording xdg-open first
// on PATH, and the clipboard read by xclip, another X client.
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "GuiTestSupport.h"

const std::size_t kLaunchBoundBytes = 131071;

FakeDesktop::FakeDesktop(const std::string& folder, bool answers)
    : folder_(folder), log_(folder + "/launches.log")
{
    std::filesystem::create_directories(folder_);
    const std::string script = folder_ + "/xdg-open";
    WriteFileBytes(script,
                   "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + log_ +
                       ".part'\n"
                       "mv '" +
                       log_ + ".part' '" + log_ + "'\n" + (answers ? "" : "exit 3\n"));
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    if (const char* path = std::getenv("PATH"))
        oldPath_ = path;
    setenv("PATH", (folder_ + ":" + oldPath_).c_str(), 1);
}

FakeDesktop::~FakeDesktop() { setenv("PATH", oldPath_.c_str(), 1); }

std::string ReadClipboardFromOutside()
{
    const std::string file =
        std::filesystem::temp_directory_path().string() + "/vantrel-clipboard-" + std::to_string(getpid());
    const wxString script = "xclip -o -selection clipboard > \"$0\"";
    const wxString fileArgument = wxString::FromUTF8(file);
    const wchar_t* argv[] = {L"sh", L"-c", script.wc_str(), fileArgument.wc_str(), nullptr};
    const long status = wxExecute(argv, wxEXEC_SYNC);
    std::string text = status == 0 ? ReadFileBytes(file) : "(xclip failed)";
    std::filesystem::remove(file);
    return text;
}

// XDG's folders all lie below HOME, which TempHome moves.
std::shared_ptr<void> SandboxPlatformSettings(const TempHome&) { return nullptr; }
