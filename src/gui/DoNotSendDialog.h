#pragma once

#include <string>
#include <vector>

#include <wx/listctrl.h>
#include <wx/wx.h>

#include "core/Result.h"
#include "core/replies/DoNotSendList.h"

// What the window says when the sender's list at path cannot be read or
// changed; the list on disk is as it was.
std::string DoNotSendProblem(Failure failure, const std::string& path);

// "Do-Not-Send List...": the addresses no release from one sender goes to,
// with why and since when; addresses added by hand or taken off after a
// question. Each change is written at once.
class DoNotSendDialog : public wxDialog {
public:
    DoNotSendDialog(wxWindow* parent, const std::string& senderAddress);

    wxListCtrl* list;  // address, why, when, evidence
    wxButton* add;
    wxButton* remove;
    wxStaticText* problem;  // in red: the list cannot be read

private:
    void OnAdd(wxCommandEvent& event);
    void OnRemove(wxCommandEvent& event);
    void OnSelected(wxListEvent& event);
    void OnClose(wxCommandEvent& event);

    // Shows the list as read, or why it cannot be read.
    void ShowList();
    // After a change that failed: says why, and shows the list as it is on disk.
    void ShowFailure(Failure failure);
    std::vector<std::string> SelectedAddresses() const;

    std::string sender_;
    Result<DoNotSendList> entries_;

    wxDECLARE_EVENT_TABLE();
};
