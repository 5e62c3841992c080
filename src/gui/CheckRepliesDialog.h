#pragma once

#include <string>

#include <wx/wx.h>

#include "core/mail/MailSettings.h"
#include "core/replies/ReplyCheck.h"

// Generate, "Check Replies...": where the replies to the sender's releases
// are read from, the mail server of Settings, Mail Server (over IMAP, with
// the same login as sending), a local Maildir folder or an mbox file. OK
// with a path or address missing says so in red and keeps the dialog open.
class CheckRepliesDialog : public wxDialog {
public:
    CheckRepliesDialog(wxWindow* parent, const MailSettings& settings, const std::string& senderAddress);

    // The source as chosen, without the login (the caller prepares it).
    ReplySource Source() const;
    std::string Problem() const;

    wxRadioButton* fromServer;
    wxRadioButton* fromMaildir;
    wxRadioButton* fromMbox;
    wxTextCtrl* imapUrl;
    wxTextCtrl* maildir;
    wxTextCtrl* mbox;
    wxStaticText* problem;

private:
    void OnOk(wxCommandEvent& event);
    void OnChooseMaildir(wxCommandEvent& event);
    void OnChooseMbox(wxCommandEvent& event);
    void OnChosen(wxCommandEvent& event);
    void EnableChosen();

    wxTextCtrl* AddSource(wxFlexGridSizer* grid, wxRadioButton* choice, const wxString& value, int chooseId);

    wxDECLARE_EVENT_TABLE();
};

