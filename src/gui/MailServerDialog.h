#pragma once

#include <string>

#include <wx/wx.h>

#include "core/mail/MailSettings.h"

// Settings, "Mail Server...": the server, the user, the sender and the
// pace. The password is asked for when a send needs it, never kept here.
class MailServerDialog : public wxDialog {
public:
    MailServerDialog(wxWindow* parent, const MailSettings& settings);

    // What is typed, and what is wrong with it (empty when nothing).
    MailSettings Settings() const;
    std::string Problem() const;

    wxTextCtrl* server;
    wxTextCtrl* user;
    wxTextCtrl* sender;
    wxTextCtrl* perMinute;
};
