#pragma once

#include <string>

#include <wx/wx.h>

// What the preview of Generate, "Send to Receivers..." shows.
struct SendPreview {
    std::size_t receivers = 0;  // each address once
    std::size_t alreadySent = 0;  // of them, the ledger's
    std::size_t skipped = 0;  // texts that are no address
    std::string skippedList;  // one per line, with the reason
    std::string server;
    std::string sender;
    std::string subject;
    std::string message;  // the first receiver's, as a mail program shows it
};

// Ends with wxID_OK for "Send", ID_SEND_TEST for "Send a Test to Me" and
// wxID_CANCEL.
class SendPreviewDialog : public wxDialog {
public:
    SendPreviewDialog(wxWindow* parent, const SendPreview& preview);

private:
    void OnSendTest(wxCommandEvent& event);

    wxDECLARE_EVENT_TABLE();
};
