// The desktop as the GUI tests see it on Windows: launches recorded in the
// program instead of the shell's (under Wine the shell starts the host's
// programs), and the clipboard read through the system's clipboard, as
// another program reads it.
#include "GuiTestSupport.h"

#include <filesystem>
#include <fstream>

#include <windows.h>

#include "WindowsRegistrySandbox.h"
#include "gui/DesktopLauncher.h"

const std::size_t kLaunchBoundBytes = 31743;

FakeDesktop::FakeDesktop(const std::string& folder, bool answers)
    : folder_(folder), log_(folder + "/launches.log")
{
    std::filesystem::create_directories(folder_);
    UseDesktopLauncher([log = log_, answers](const std::string& target) {
        std::ofstream(log, std::ios::binary | std::ios::app) << target << '\n';
        return answers;
    });
}

FakeDesktop::~FakeDesktop() { UseDesktopLauncher({}); }

std::string ReadClipboardFromOutside()
{
    wxYield();
    if (!OpenClipboard(nullptr))
        return "(the clipboard cannot be opened)";
    std::string text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = wxString(wide).utf8_string();
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    // wx hands Windows' clipboard the line ends Windows programs expect.
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") != 0)
            lines += text[i];
    }
    return lines;
}

std::shared_ptr<void> SandboxPlatformSettings(const TempHome& home)
{
    setenv("LOCALAPPDATA", (home.home() + "/AppData/Local").c_str(), 1);
    return std::make_shared<RegistrySandbox>();
}
