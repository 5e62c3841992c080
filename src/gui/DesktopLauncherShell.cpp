#include "gui/DesktopLauncher.h"

#include <windows.h>

#include <shellapi.h>  // after windows.h, which it needs

#include <wx/string.h>

bool OpenWithSystemDesktop(const std::string& target)
{
    const wxString wide = wxString::FromUTF8(target.data(), target.size());
    // Documented to return a value above 32 on success.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide.wc_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

// The shell hands a mailto: request to its handler on a command line, which
// holds at most 32,767 UTF-16 units; the rest of the line (the handler's
// own path and switches) is kept within 1,023 of them.
std::size_t MaxLaunchRequestBytes() { return 32767 - 1024; }
