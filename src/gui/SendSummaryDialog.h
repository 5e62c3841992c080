#pragma once

#include <string>
#include <vector>

#include <wx/listctrl.h>
#include <wx/wx.h>

#include "core/mail/ReleaseDelivery.h"

// The totals of a send: sent, had it already, got an earlier text,
// refused, in doubt, left, skipped, and why the run ended early.
std::string DeliveryTotalsText(const DeliverySummary& summary, std::size_t skipped);

// The same in one line for the status line, without the skipped entries
// (the receiver count that follows it names them):
// "Sent: 296, refused: 2, left to send: 0."
std::string DeliveryStatusText(const DeliverySummary& summary);

// The "Send" window after a run: the totals and every receiver not reached,
// to copy, save as CSV or take off the list. Ends with ID_REMOVE_REFUSED
// when the refused should leave the receivers field, else wxID_CLOSE.
class SendSummaryDialog : public wxDialog {
public:
    SendSummaryDialog(wxWindow* parent, const DeliverySummary& summary, std::vector<ReportRow> rows);

    // The rows as tab-separated lines on the clipboard.
    void CopyRows();
    // Asks where and writes the rows as CSV there; says in a box when that
    // fails.
    void SaveRows();

    wxListCtrl* list;

private:
    void AddList();
    void AddButtons(bool anyRefused);
    void FitScreen();
    void OnCopy(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);
    void OnRemoveRefused(wxCommandEvent& event);
    void OnClose(wxCommandEvent& event);

    std::vector<ReportRow> rows_;

    wxDECLARE_EVENT_TABLE();
};
