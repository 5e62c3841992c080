#pragma once

#include <string>

#include <wx/wx.h>

#include "core/mail/MailSettings.h"
#include "core/mail/SmtpTransport.h"

// Settings, "Mail Server...": the server, the user, the sender and the
// pace. The password is asked for when a send or a test needs it, never
// kept here. OK with a wrong value says what is wrong in red and keeps the
// dialog open; "Test Connection" logs in without sending.
class MailServerDialog : public wxDialog {
public:
    MailServerDialog(wxWindow* parent, const MailSettings& settings);

    // What is typed, and what is wrong with it (empty when nothing).
    MailSettings Settings() const;
    std::string Problem() const;
    // Shows the problem in red beside the fields; true when there is none.
    bool ShowProblem();

    wxTextCtrl* server;
    wxTextCtrl* user;
    wxTextCtrl* sender;
    wxTextCtrl* perMinute;
    wxStaticText* problem;
    wxStaticText* connection;  // what the last test found, in the server's words

private:
    void OnOk(wxCommandEvent& event);
    void OnEdited(wxCommandEvent& event);
    void OnTestConnection(wxCommandEvent& event);

    int timeLimit_;

    wxDECLARE_EVENT_TABLE();
};

// The server of the settings, without its password.
SmtpServer MailServerOf(const MailSettings& settings);

// Asks for the password when the server has a user and none is known yet;
// false when the user cancels.
bool AskMailPassword(wxWindow* parent, SmtpServer& server);
