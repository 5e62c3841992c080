#include "gui/DesktopLauncher.h"

#include <wx/log.h>
#include <wx/utils.h>

#include "core/release/MailtoRequest.h"

bool OpenWithSystemDesktop(const std::string& target)
{
    const wxString argument = wxString::FromUTF8(target.data(), target.size());
    const wchar_t* argv[] = {L"xdg-open", argument.wc_str(), nullptr};
    wxLogNull quiet;  // a missing handler is not reported
    return wxExecute(argv, wxEXEC_ASYNC | wxEXEC_HIDE_CONSOLE) > 0;
}

std::size_t MaxLaunchRequestBytes() { return kMaxLaunchArgumentBytes; }
