#include "gui/SendPreviewDialog.h"

#include "gui/CommandIds.h"
#include "gui/DoNotSendDialog.h"

namespace {

// The window waits this long after the last key before it takes the
// ledger through the edited text again: a long list takes a moment.
constexpr int kEditsSettleMilliseconds = 300;

wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

std::string FactsText(const SendFacts& facts)
{
    std::string text = "Receivers: " + std::to_string(facts.receivers + facts.listed) + "\n";
    std::string leftOut;
    if (facts.notAddresses > 0)
        leftOut = std::to_string(facts.notAddresses) +
            (facts.notAddresses == 1 ? " entry is not an address" : " entries are not addresses");
    if (facts.listed > 0)
        leftOut += (leftOut.empty() ? "" : ", ") + std::to_string(facts.listed) + " on the do-not-send list";
    if (!leftOut.empty())
        text += "Left out: " + leftOut + "\n";
    return text + "Server: " + facts.server + "\nSender: " + facts.sender;
}

std::string InDoubtText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " receiver is" : " receivers are") +
        " in doubt: an earlier run sent them the release but never heard whether the server took it";
}

std::string PaceText(int perMinute)
{
    return perMinute > 0 ? " at " + std::to_string(perMinute) + " a minute" : std::string();
}

}  // namespace

wxBEGIN_EVENT_TABLE(SendPreviewDialog, wxDialog)
    EVT_BUTTON(ID_SEND_TEST, SendPreviewDialog::OnSendTest)
    EVT_BUTTON(ID_SEND_EVERYONE, SendPreviewDialog::OnSendEveryone)
    EVT_BUTTON(ID_DO_NOT_SEND_LIST, SendPreviewDialog::OnDoNotSendList)
    EVT_CHECKBOX(wxID_ANY, SendPreviewDialog::OnAgainInDoubt)
    EVT_TIMER(wxID_ANY, SendPreviewDialog::OnEditsSettled)
wxEND_EVENT_TABLE()

void SendPreviewDialog::OnSendTest(wxCommandEvent&) { EndModal(ID_SEND_TEST); }
void SendPreviewDialog::OnSendEveryone(wxCommandEvent&) { EndModal(ID_SEND_EVERYONE); }
void SendPreviewDialog::OnAgainInDoubt(wxCommandEvent&) { UpdateSendButton(); }
void SendPreviewDialog::OnEditsSettled(wxTimerEvent&) { ShowStanding(); }

// The receivers the list now names are left out; the ledger's standing
// follows them.
void SendPreviewDialog::OnDoNotSendList(wxCommandEvent&)
{
    DoNotSendDialog list(this, facts_.senderAddress);
    list.ShowModal();
    const std::optional<SendFacts> facts = factsAgain_();
    if (!facts) {
        EndModal(wxID_CANCEL);
        return;
    }
    facts_ = *facts;
    ShowFacts();
    ShowStanding();
}

void SendPreviewDialog::OnEdited(wxCommandEvent& event)
{
    edits_.StartOnce(kEditsSettleMilliseconds);
    event.Skip();
}

SendPreviewDialog::SendPreviewDialog(wxWindow* parent, const SendFacts& facts, const std::string& subjectText,
                                     const std::string& noteText, DescribeSend describe,
                                     FactsAgain factsAgain)
    : wxDialog(parent, wxID_ANY, "Send to Receivers", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      facts_(facts), describe_(std::move(describe)), factsAgain_(std::move(factsAgain)), edits_(this)
{
    auto* column = new wxBoxSizer(wxVERTICAL);
    AddEditors(column, subjectText, noteText);
    factsText = new wxStaticText(this, wxID_ANY, "");
    column->Add(factsText, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    skippedList =
        new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(-1, 60), wxTE_MULTILINE | wxTE_READONLY);
    column->Add(skippedList, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    ShowFacts();
    AddStanding(column);
    message = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(620, 260),
                             wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL);
    message->SetFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE)));
    column->Add(message, 1, wxEXPAND | wxALL, 12);
    AddButtons(column);
    ShowStanding();
    SetSizerAndFit(column);
    CentreOnParent();
    // The user goes on writing where the subject ends: a subject selected
    // whole would go with the first key typed.
    subject->SetFocus();
    subject->SetInsertionPointEnd();
}

void SendPreviewDialog::AddEditors(wxSizer* column, const std::string& subjectText,
                                   const std::string& noteText)
{
    auto* grid = new wxFlexGridSizer(2, 8, 8);
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(this, wxID_ANY, "Subject:"), 0, wxALIGN_CENTER_VERTICAL);
    // Return in the subject is taken here and does nothing: it must not
    // press a button for the user, who is still writing.
    subject = new wxTextCtrl(this, wxID_ANY, FromUtf8(subjectText), wxDefaultPosition, wxDefaultSize,
                             wxTE_PROCESS_ENTER);
    grid->Add(subject, 1, wxEXPAND);
    grid->Add(new wxStaticText(this, wxID_ANY, "Note:"), 0, wxALIGN_TOP | wxTOP, 4);
    // No hint: GTK's multi-line fields would take it in as text, and send it.
    auto* noteColumn = new wxBoxSizer(wxVERTICAL);
    note =
        new wxTextCtrl(this, wxID_ANY, FromUtf8(noteText), wxDefaultPosition, wxSize(-1, 70), wxTE_MULTILINE);
    noteColumn->Add(note, 1, wxEXPAND);
    auto* noteHelp =
        new wxStaticText(this, wxID_ANY, "Above the release, may stay empty: a greeting, an embargo line");
    noteHelp->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    noteColumn->Add(noteHelp, 0, wxTOP, 2);
    grid->Add(noteColumn, 1, wxEXPAND);
    column->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    subject->Bind(wxEVT_TEXT, &SendPreviewDialog::OnEdited, this);
    subject->Bind(wxEVT_TEXT_ENTER, [](wxCommandEvent&) {});
    note->Bind(wxEVT_TEXT, &SendPreviewDialog::OnEdited, this);
}

void SendPreviewDialog::AddStanding(wxSizer* column)
{
    sendNow = new wxStaticText(this, wxID_ANY, "");
    column->Add(sendNow, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    earlierText = new wxStaticText(this, wxID_ANY, "");
    column->Add(earlierText, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    inDoubt = new wxStaticText(this, wxID_ANY, "");
    column->Add(inDoubt, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    againInDoubt = new wxCheckBox(this, wxID_ANY, "Send to them again");
    column->Add(againInDoubt, 0, wxLEFT | wxRIGHT | wxTOP, 12);
}

void SendPreviewDialog::AddButtons(wxSizer* column)
{
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, ID_SEND_TEST, "Send a Test to Me"), 0, wxRIGHT, 8);
    buttons->Add(new wxButton(this, ID_DO_NOT_SEND_LIST, "Do-Not-Send List..."), 0, wxRIGHT, 8);
    buttons->AddStretchSpacer();
    send = new wxButton(this, wxID_OK, "&Send");
    buttons->Add(send, 0, wxRIGHT, 8);
    sendEveryone = new wxButton(this, ID_SEND_EVERYONE, "Send the New Text to Everyone");
    buttons->Add(sendEveryone, 0, wxRIGHT, 8);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
}

void SendPreviewDialog::ShowFacts()
{
    factsText->SetLabel(FromUtf8(FactsText(facts_)));
    skippedList->ChangeValue(FromUtf8(facts_.skippedList));
    skippedList->Show(!facts_.skippedList.empty());
}

// The earlier text's choice and the in-doubt line come and go with the
// text: a changed subject makes what the list got before an earlier text.
void SendPreviewDialog::ShowStanding()
{
    const SendStanding shown = describe_(Subject(), Note());
    standing_ = shown.standing;
    message->ChangeValue(FromUtf8(shown.message));
    message->ShowPosition(0);
    const bool earlier = standing_.earlierText > 0;
    earlierText->SetLabel(earlier ? FromUtf8(EarlierTextNote(standing_)) : wxString());
    earlierText->Show(earlier);
    sendEveryone->Show(earlier);
    inDoubt->SetLabel(standing_.inDoubt > 0 ? FromUtf8(InDoubtText(standing_.inDoubt)) : wxString());
    inDoubt->Show(standing_.inDoubt > 0);
    againInDoubt->Show(standing_.inDoubt > 0);
    UpdateSendButton();
    if (GetSizer())
        GrowToFit();
}

// Buttons and lines that appear need room; what the user enlarged stays.
void SendPreviewDialog::GrowToFit()
{
    const wxSize needed = GetSizer()->ComputeFittingWindowSize(this);
    SetMinSize(needed);
    wxSize size = GetSize();
    size.IncTo(needed);
    SetSize(size);
    Layout();
}

// Who gets the release now, and how long that takes; or why nobody does.
void SendPreviewDialog::UpdateSendButton()
{
    const std::size_t others = ToSend(false);
    send->SetLabel(standing_.earlierText > 0
                       ? FromUtf8("&Send to the " + std::to_string(others) + " Others Only")
                       : wxString("&Send"));
    send->Enable(others > 0);
    std::string text;
    if (standing_.alreadySent > 0)
        text = "Already have this release: " + std::to_string(standing_.alreadySent) + "\n";
    text += others > 0 ? "To send now: " + std::to_string(others) + ", " +
            SendDurationText(others, facts_.perMinute) + PaceText(facts_.perMinute)
                       : NothingToSendText(facts_.receivers, standing_);
    sendNow->SetLabel(FromUtf8(text));
}

std::size_t SendPreviewDialog::ToSend(bool everyone) const
{
    return ToSendNow(facts_.receivers, standing_, everyone ? ChangedText::All : ChangedText::Rest,
                     AgainInDoubt());
}

std::string SendPreviewDialog::Subject() const { return subject->GetValue().utf8_string(); }
std::string SendPreviewDialog::Note() const { return note->GetValue().utf8_string(); }
bool SendPreviewDialog::AgainInDoubt() const { return againInDoubt->IsShown() && againInDoubt->GetValue(); }
