#pragma once

#include <string>
#include <vector>

#include <wx/listctrl.h>
#include <wx/wx.h>

#include "core/replies/ReplyCheck.h"

// What a reading came to besides the findings: "Messages read: 40;
// unrecognised: 35; about messages Vantrel did not send: 2." and why it
// ended early.
std::string ReadingText(const ReplyCheck& check);

// The findings of "Check Replies...", each with a check box, those that
// belong on the do-not-send list checked at first. "Add to Do-Not-Send"
// writes the checked ones to the sender's list and leaves the window open;
// "Remove from Receivers" ends it with ID_REMOVE_FROM_RECEIVERS, Close
// with wxID_CLOSE.
class ReplyFindingsDialog : public wxDialog {
public:
    ReplyFindingsDialog(wxWindow* parent, const ReplyCheck& check, const std::string& senderAddress);

    // The addresses whose box is checked, in the list's order.
    std::vector<std::string> CheckedAddresses() const;

    wxStaticText* reading;  // the counts above the list
    wxListCtrl* list;  // address, what happened, when, evidence
    wxStaticText* added;  // what "Add to Do-Not-Send" did

private:
    void OnAdd(wxCommandEvent& event);
    void OnRemove(wxCommandEvent& event);
    void OnClose(wxCommandEvent& event);

    void AddList();
    void AddButtons();

    std::vector<ReplyFinding> findings_;
    std::string sender_;

    wxDECLARE_EVENT_TABLE();
};
