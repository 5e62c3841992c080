#pragma once

#include <string>
#include <vector>

#include <wx/listctrl.h>
#include <wx/wx.h>

#include "core/mail/ReleaseDelivery.h"

// The totals of a send: sent, had it already, got an earlier text,
// refused, in doubt, left, skipped, and why the run ended early.
std::string DeliveryTotalsText(const DeliverySummary& summary, std::size_t skipped);

// The same in one line for the status line, with the entries skipped:
// "Sent: 296, refused: 2, left to send: 0, not addresses: 1, on the
// do-not-send list: 3."
std::string DeliveryStatusText(const DeliverySummary& summary, std::size_t notAddresses, std::size_t listed);

// The "Send" window after a run: the totals, what was put on the
// do-not-send list (listed), and every receiver not reached, to copy, save
// as CSV or take off the list. Ends with ID_REMOVE_REFUSED when the refused
// should leave the receivers field, else wxID_CLOSE.
class SendSummaryDialog : public wxDialog {
public:
    SendSummaryDialog(wxWindow* parent, const DeliverySummary& summary, std::vector<ReportRow> rows,
                      const std::string& listed = "");

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
