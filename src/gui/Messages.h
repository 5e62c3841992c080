#pragma once

#include <string>

#include <wx/msgdlg.h>

// Every report of the program: a modal box with one OK button and the
// information icon, also for errors.
inline int ShowInformation(wxWindow* parent, const std::string& text, const char* caption)
{
    return wxMessageBox(wxString::FromUTF8(text.data(), text.size()), caption, wxOK | wxICON_INFORMATION,
                        parent);
}

// The captions of the boxes of sending through a mail server.
inline constexpr const char* kMailServerCaption = "Mail Server";
inline constexpr const char* kSendCaption = "Send";
