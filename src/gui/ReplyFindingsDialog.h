#pragma once

#include <string>
#include <vector>

#include <wx/listctrl.h>
#include <wx/wx.h>

#include "core/replies/ReplyCheck.h"

// What a reading came to besides the findings: ReadingCountsText, what
// could not be read, and why it ended early.
std::string ReadingText(const ReplyCheck& check);

// The findings of "Check Replies...", each with a check box, those that
// belong on the do-not-send list checked at first, and below them the
// other replies (who, subject, when, first line). "Add to Do-Not-Send"
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
    wxListCtrl* others;  // from, subject, when, first line
    wxStaticText* added;  // what "Add to Do-Not-Send" did

private:
    void OnAdd(wxCommandEvent& event);
    void OnRemove(wxCommandEvent& event);
    void OnClose(wxCommandEvent& event);

    void AddList();
    void AddOtherReplies(const ReplySummary& summary);
    void AddButtons();

    std::vector<ReplyFinding> findings_;
    std::string sender_;

    wxDECLARE_EVENT_TABLE();
};
