#include "gui/ReplyFindingsDialog.h"

#include "gui/CommandIds.h"
#include "gui/DoNotSendDialog.h"
#include "gui/Messages.h"

namespace {

constexpr const char* kCaption = "Check Replies";

wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

}  // namespace

std::string ReadingText(const ReplyCheck& check)
{
    const MailboxReading& reading = check.reading;
    std::string text = ReadingCountsText(check);
    if (reading.tooLarge > 0)
        text += "; too large to read: " + std::to_string(reading.tooLarge);
    if (reading.vanished > 0)
        text += "; gone before they could be read: " + std::to_string(reading.vanished);
    text += ".";
    if (!reading.problem.empty())
        text += "\nThe reading stopped early: " + reading.problem + ".";
    else if (reading.cancelled)
        text += "\nThe reading was cancelled.";
    return text;
}

wxBEGIN_EVENT_TABLE(ReplyFindingsDialog, wxDialog)
    EVT_BUTTON(ID_ADD_TO_DO_NOT_SEND, ReplyFindingsDialog::OnAdd)
    EVT_BUTTON(ID_REMOVE_FROM_RECEIVERS, ReplyFindingsDialog::OnRemove)
    EVT_BUTTON(wxID_CLOSE, ReplyFindingsDialog::OnClose)
wxEND_EVENT_TABLE()

void ReplyFindingsDialog::OnRemove(wxCommandEvent&) { EndModal(ID_REMOVE_FROM_RECEIVERS); }
void ReplyFindingsDialog::OnClose(wxCommandEvent&) { EndModal(wxID_CLOSE); }

ReplyFindingsDialog::ReplyFindingsDialog(wxWindow* parent, const ReplyCheck& check,
                                         const std::string& senderAddress)
    : wxDialog(parent, wxID_ANY, kCaption, wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      findings_(check.summary.findings), sender_(senderAddress)
{
    auto* column = new wxBoxSizer(wxVERTICAL);
    SetSizer(column);
    reading = new wxStaticText(this, wxID_ANY, FromUtf8(ReadingText(check)));
    column->Add(reading, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    AddList();
    AddOtherReplies(check.summary);
    added = new wxStaticText(this, wxID_ANY, "");
    column->Add(added, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    added->Hide();
    AddButtons();
    SetEscapeId(wxID_CLOSE);
    column->SetSizeHints(this);
    CentreOnParent();
}

void ReplyFindingsDialog::AddList()
{
    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(760, 220), wxLC_REPORT);
    list->EnableCheckBoxes();
    list->AppendColumn("Address", wxLIST_FORMAT_LEFT, 220);
    list->AppendColumn("What happened", wxLIST_FORMAT_LEFT, 120);
    list->AppendColumn("When", wxLIST_FORMAT_LEFT, 100);
    list->AppendColumn("Evidence", wxLIST_FORMAT_LEFT, 300);
    for (const ReplyFinding& finding : findings_) {
        const long item = list->InsertItem(list->GetItemCount(), FromUtf8(finding.address));
        list->SetItem(item, 1, ReplyKindText(finding.kind));
        list->SetItem(item, 2, FromUtf8(DayText(finding.when)));
        list->SetItem(item, 3,
                      FromUtf8(finding.evidence + (finding.hint.empty() ? "" : "; look at " + finding.hint)));
        list->CheckItem(item, BelongsOnList(finding));
    }
    GetSizer()->Add(list, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
}

// The replies that are no report, so that the user can answer them.
void ReplyFindingsDialog::AddOtherReplies(const ReplySummary& summary)
{
    others = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(760, 140), wxLC_REPORT);
    others->AppendColumn("From", wxLIST_FORMAT_LEFT, 220);
    others->AppendColumn("Subject", wxLIST_FORMAT_LEFT, 200);
    others->AppendColumn("When", wxLIST_FORMAT_LEFT, 100);
    others->AppendColumn("First line", wxLIST_FORMAT_LEFT, 240);
    for (const OtherReply& reply : summary.others) {
        const long item = others->InsertItem(others->GetItemCount(), FromUtf8(reply.from));
        others->SetItem(item, 1, FromUtf8(reply.subject));
        others->SetItem(item, 2, FromUtf8(DayText(reply.when)));
        others->SetItem(item, 3, FromUtf8(reply.firstLine));
    }
    auto* label = new wxStaticText(this, wxID_ANY, "Other replies, to answer yourself:");
    GetSizer()->Add(label, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    GetSizer()->Add(others, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    label->Show(!summary.others.empty());
    others->Show(!summary.others.empty());
}

void ReplyFindingsDialog::AddButtons()
{
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, ID_ADD_TO_DO_NOT_SEND, "&Add to Do-Not-Send"), 0, wxRIGHT, 8);
    buttons->Add(new wxButton(this, ID_REMOVE_FROM_RECEIVERS, "&Remove from Receivers"));
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_CLOSE, "Close"));
    GetSizer()->Add(buttons, 0, wxEXPAND | wxALL, 12);
}

std::vector<std::string> ReplyFindingsDialog::CheckedAddresses() const
{
    std::vector<std::string> addresses;
    for (long item = 0; item < list->GetItemCount(); ++item)
        if (list->IsItemChecked(item))
            addresses.push_back(findings_[static_cast<std::size_t>(item)].address);
    return addresses;
}

void ReplyFindingsDialog::OnAdd(wxCommandEvent&)
{
    wxBusyCursor busy;
    std::vector<DoNotSendEntry> chosen;
    for (long item = 0; item < list->GetItemCount(); ++item)
        if (list->IsItemChecked(item))
            chosen.push_back(EntryFor(findings_[static_cast<std::size_t>(item)]));
    Result<DoNotSendList> entries = DoNotSendListOf(sender_);
    const Result<> written = entries ? entries->AddAll(chosen) : Result<>(entries.failure());
    const std::size_t count = written ? chosen.size() : 0;
    added->SetLabel(FromUtf8("Added to the do-not-send list: " + std::to_string(count) + "."));
    added->Show();
    Layout();
    if (!written)
        ShowInformation(this, DoNotSendProblem(written.failure(), DoNotSendPath(sender_)), kCaption);
}
