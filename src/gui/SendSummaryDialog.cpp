#include "gui/SendSummaryDialog.h"

#include <algorithm>

#include <wx/clipbrd.h>
#include <wx/display.h>

#include "core/files/FileMessages.h"
#include "core/files/SafeFileWriter.h"
#include "gui/CommandIds.h"
#include "gui/FileDialogs.h"
#include "gui/Messages.h"

namespace {

// Rows enough to see the kind of trouble; the rest scroll.
constexpr int kListHeight = 240;

wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

std::string Count(const char* label, std::size_t count) { return label + std::to_string(count) + "\n"; }

std::string EndText(const DeliverySummary& summary)
{
    if (!summary.stopReason.empty())
        return "\nThe sending stopped: " + summary.stopReason + "\n";
    return summary.cancelled ? "\nThe sending was cancelled.\n" : std::string();
}

}  // namespace

std::string DeliveryTotalsText(const DeliverySummary& summary, std::size_t skipped)
{
    std::string text = Count("Sent: ", summary.sent);
    if (summary.alreadySent > 0)
        text += Count("Had it already: ", summary.alreadySent);
    if (summary.earlierText > 0)
        text += Count("Got an earlier text: ", summary.earlierText);
    text += Count("Refused: ", summary.refused);
    if (summary.inDoubt > 0)
        text += Count("In doubt (sent, but the server's answer never came): ", summary.inDoubt);
    text += Count("Left to send: ", summary.left);
    if (skipped > 0)
        text += Count("Skipped: ", skipped);
    text += EndText(summary);
    if (summary.left > 0)
        text += "Send again to reach those left; nobody gets the release twice.\n";
    return text;
}

std::string DeliveryStatusText(const DeliverySummary& summary, std::size_t notAddresses, std::size_t listed)
{
    std::string text = "Sent: " + std::to_string(summary.sent);
    if (summary.alreadySent > 0)
        text += ", had it already: " + std::to_string(summary.alreadySent);
    if (summary.earlierText > 0)
        text += ", got an earlier text: " + std::to_string(summary.earlierText);
    text += ", refused: " + std::to_string(summary.refused);
    if (summary.inDoubt > 0)
        text += ", in doubt: " + std::to_string(summary.inDoubt);
    text += ", left to send: " + std::to_string(summary.left);
    if (notAddresses > 0)
        text += ", not addresses: " + std::to_string(notAddresses);
    if (listed > 0)
        text += ", on the do-not-send list: " + std::to_string(listed);
    text += ".";
    if (!summary.stopReason.empty())
        text += " The sending stopped.";
    else if (summary.cancelled)
        text += " The sending was cancelled.";
    return text;
}

wxBEGIN_EVENT_TABLE(SendSummaryDialog, wxDialog)
    EVT_BUTTON(ID_COPY_REPORT, SendSummaryDialog::OnCopy)
    EVT_BUTTON(ID_SAVE_REPORT, SendSummaryDialog::OnSave)
    EVT_BUTTON(ID_REMOVE_REFUSED, SendSummaryDialog::OnRemoveRefused)
    EVT_BUTTON(wxID_CLOSE, SendSummaryDialog::OnClose)
wxEND_EVENT_TABLE()

void SendSummaryDialog::OnCopy(wxCommandEvent&) { CopyRows(); }
void SendSummaryDialog::OnSave(wxCommandEvent&) { SaveRows(); }
void SendSummaryDialog::OnRemoveRefused(wxCommandEvent&) { EndModal(ID_REMOVE_REFUSED); }
void SendSummaryDialog::OnClose(wxCommandEvent&) { EndModal(wxID_CLOSE); }

SendSummaryDialog::SendSummaryDialog(wxWindow* parent, const DeliverySummary& summary,
                                     std::vector<ReportRow> rows, const std::string& listed)
    : wxDialog(parent, wxID_ANY, "Send", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      rows_(std::move(rows))
{
    const std::size_t skipped = static_cast<std::size_t>(std::count_if(
        rows_.begin(), rows_.end(), [](const ReportRow& row) { return row.outcome == "skipped"; }));
    auto* column = new wxBoxSizer(wxVERTICAL);
    SetSizer(column);
    std::string totals = DeliveryTotalsText(summary, skipped);
    totals.pop_back();  // a label shows a last line break as an empty line
    column->Add(new wxStaticText(this, wxID_ANY, FromUtf8(totals)), 0, wxALL, 12);
    if (!listed.empty()) {
        auto* note = new wxStaticText(this, wxID_ANY,
                                      FromUtf8(listed + " Do-Not-Send List... takes an address off again."));
        note->Wrap(760);
        column->Add(note, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
    }
    AddList();
    AddButtons(summary.refused > 0);
    SetEscapeId(wxID_CLOSE);
    FitScreen();
}

void SendSummaryDialog::AddList()
{
    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(800, kListHeight), wxLC_REPORT);
    list->AppendColumn("Receiver", wxLIST_FORMAT_LEFT, 220);
    list->AppendColumn("Outcome", wxLIST_FORMAT_LEFT, 80);
    list->AppendColumn("Why", wxLIST_FORMAT_LEFT, 480);
    for (const ReportRow& row : rows_) {
        const long item = list->InsertItem(list->GetItemCount(), FromUtf8(row.address));
        list->SetItem(item, 1, FromUtf8(row.outcome));
        list->SetItem(item, 2, FromUtf8(row.words));
    }
    GetSizer()->Add(list, 1, wxEXPAND | wxLEFT | wxRIGHT, 12);
    list->Show(!rows_.empty());
}

void SendSummaryDialog::AddButtons(bool anyRefused)
{
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* copy = new wxButton(this, ID_COPY_REPORT, "Copy");
    auto* save = new wxButton(this, ID_SAVE_REPORT, "Save as CSV...");
    auto* remove = new wxButton(this, ID_REMOVE_REFUSED, "Remove Refused from Receivers");
    copy->Enable(!rows_.empty());
    save->Enable(!rows_.empty());
    remove->Enable(anyRefused);
    buttons->Add(copy, 0, wxRIGHT, 8);
    buttons->Add(save, 0, wxRIGHT, 8);
    buttons->Add(remove, 0, wxRIGHT, 8);
    buttons->AddStretchSpacer();
    auto* close = new wxButton(this, wxID_CLOSE, "Close");
    close->SetDefault();
    close->SetFocus();
    buttons->Add(close);
    GetSizer()->Add(buttons, 0, wxEXPAND | wxALL, 12);
}

// The list has a fixed height, so the window's size does not grow with the
// rows; a small screen still caps it.
void SendSummaryDialog::FitScreen()
{
    const int display = wxDisplay::GetFromWindow(GetParent() ? GetParent() : this);
    const wxRect area =
        wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
    GetSizer()->SetSizeHints(this);
    const wxSize fitted = GetSize();
    SetSize(std::min(fitted.x, area.width), std::min(fitted.y, area.height));
    SetMinSize(wxSize(std::min(GetMinSize().x, area.width), std::min(GetMinSize().y, area.height)));
    CentreOnParent();
}

void SendSummaryDialog::CopyRows()
{
    std::string text;
    for (const ReportRow& row : rows_)
        text += row.address + "\t" + row.outcome + "\t" + row.words + "\n";
    if (!wxTheClipboard->Open())
        return;
    wxTheClipboard->SetData(new wxTextDataObject(FromUtf8(text)));
    wxTheClipboard->Flush();
    wxTheClipboard->Close();
}

void SendSummaryDialog::SaveRows()
{
    const std::string path = ChooseFile(this, "Save the receivers not reached", "*.csv", wxFD_SAVE);
    if (path.empty())
        return;
    if (!WriteFileAtomically(path, ReportCsv(rows_)))
        ShowInformation(this, kCannotSaveText, kSaveFailedCaption);
}
