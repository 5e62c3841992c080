#pragma once

#include <functional>
#include <optional>
#include <string>

#include <wx/timer.h>
#include <wx/wx.h>

#include "core/mail/ReleaseDelivery.h"

// What the send window shows that no edit changes.
struct SendFacts {
    std::size_t receivers = 0;  // each address once, those on the do-not-send list not among them
    std::size_t notAddresses = 0;  // entries that are no address
    std::size_t listed = 0;  // addresses on the do-not-send list
    std::string skippedList;  // both, one per line, with the reason
    std::string server;
    std::string sender;
    std::string senderAddress;  // whose do-not-send list "Do-Not-Send List..." shows
    int perMinute = 0;
};
// The facts once more after the do-not-send list was shown (it may have
// changed); none when the list cannot be read, and nothing may be sent.
using FactsAgain = std::function<std::optional<SendFacts>()>;

// What follows the subject and the note as they are typed: how the
// receivers stand with that text, and the first receiver's message.
struct SendStanding {
    ReleaseStanding standing;
    std::string message;
};
using DescribeSend = std::function<SendStanding(const std::string& subject, const std::string& note)>;

// Ends with wxID_OK for "Send" (or "Send to the N Others Only"),
// ID_SEND_EVERYONE for "Send the New Text to Everyone", ID_SEND_TEST for
// "Send a Test to Me" and wxID_CANCEL (also when the do-not-send list can
// no longer be read). No button is the default: Return in the subject
// sends nothing.
class SendPreviewDialog : public wxDialog {
public:
    SendPreviewDialog(wxWindow* parent, const SendFacts& facts, const std::string& subject,
                      const std::string& note, DescribeSend describe, FactsAgain factsAgain);

    std::string Subject() const;
    std::string Note() const;
    bool AgainInDoubt() const;
    // How many the button chosen sends to now.
    std::size_t ToSend(bool everyone) const;

    wxTextCtrl* subject;
    wxTextCtrl* note;
    wxCheckBox* againInDoubt;
    wxButton* send;
    wxButton* sendEveryone;
    wxStaticText* factsText;
    wxStaticText* sendNow;  // who has it already, who gets it now and how long that takes
    wxTextCtrl* skippedList;
    wxStaticText* earlierText;
    wxStaticText* inDoubt;
    wxTextCtrl* message;

private:
    void AddEditors(wxSizer* column, const std::string& subjectText, const std::string& noteText);
    void AddStanding(wxSizer* column);
    void AddButtons(wxSizer* column);
    void ShowFacts();
    void ShowStanding();
    void UpdateSendButton();
    void GrowToFit();
    void OnEdited(wxCommandEvent& event);
    void OnEditsSettled(wxTimerEvent& event);
    void OnAgainInDoubt(wxCommandEvent& event);
    void OnSendTest(wxCommandEvent& event);
    void OnSendEveryone(wxCommandEvent& event);
    void OnDoNotSendList(wxCommandEvent& event);

    SendFacts facts_;
    DescribeSend describe_;
    FactsAgain factsAgain_;
    ReleaseStanding standing_;
    wxTimer edits_;

    wxDECLARE_EVENT_TABLE();
};
