#include "gui/DoNotSendDialog.h"

#include <ctime>

#include <wx/datetime.h>
#include <wx/textdlg.h>

#include "core/receivers/MailAddresses.h"
#include "gui/Messages.h"

namespace {

constexpr const char* kCaption = "Do-Not-Send List";

wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

const char* WhyText(DoNotSendReason reason)
{
    switch (reason) {
    case DoNotSendReason::Unsubscribed: return "unsubscribed";
    case DoNotSendReason::Bounced: return "bounced";
    case DoNotSendReason::Complaint: return "complained";
    case DoNotSendReason::Refused: return "refused when sending";
    case DoNotSendReason::ByHand: break;
    }
    return "added by hand";
}

wxString DayText(std::time_t when) { return when == 0 ? wxString() : wxDateTime(when).FormatISODate(); }

}  // namespace

std::string DoNotSendProblem(Failure failure, const std::string& path)
{
    const std::string list = "The do-not-send list " + (path.empty() ? std::string() : "\"" + path + "\" ");
    switch (failure) {
    case Failure::Busy: return list + "is being changed by another run of Vantrel; please try again.";
    case Failure::CannotWrite: return list + "cannot be written; it stays as it was.";
    case Failure::Damaged: return list + "is damaged; it is left as it is.";
    case Failure::TooLarge: return list + "is too large to be read; it is left as it is.";
    default: break;
    }
    return list + "cannot be read; it is left as it is.";
}

wxBEGIN_EVENT_TABLE(DoNotSendDialog, wxDialog)
    EVT_BUTTON(wxID_ADD, DoNotSendDialog::OnAdd)
    EVT_BUTTON(wxID_REMOVE, DoNotSendDialog::OnRemove)
    EVT_BUTTON(wxID_CLOSE, DoNotSendDialog::OnClose)
    EVT_LIST_ITEM_SELECTED(wxID_ANY, DoNotSendDialog::OnSelected)
    EVT_LIST_ITEM_DESELECTED(wxID_ANY, DoNotSendDialog::OnSelected)
wxEND_EVENT_TABLE()

DoNotSendDialog::DoNotSendDialog(wxWindow* parent, const std::string& senderAddress)
    : wxDialog(parent, wxID_ANY, kCaption, wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      sender_(senderAddress), entries_(DoNotSendListOf(senderAddress))
{
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, FromUtf8("No release from " + sender_ + " goes to:")), 0,
                wxLEFT | wxRIGHT | wxTOP, 12);
    problem = new wxStaticText(this, wxID_ANY, "");
    problem->SetForegroundColour(*wxRED);
    column->Add(problem, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(720, 240), wxLC_REPORT);
    list->AppendColumn("Address", wxLIST_FORMAT_LEFT, 220);
    list->AppendColumn("Why", wxLIST_FORMAT_LEFT, 110);
    list->AppendColumn("When", wxLIST_FORMAT_LEFT, 100);
    list->AppendColumn("Evidence", wxLIST_FORMAT_LEFT, 280);
    column->Add(list, 1, wxEXPAND | wxALL, 12);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    add = new wxButton(this, wxID_ADD, "&Add...");
    remove = new wxButton(this, wxID_REMOVE, "&Remove");
    buttons->Add(add, 0, wxRIGHT, 8);
    buttons->Add(remove);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_CLOSE, "Close"));
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    SetEscapeId(wxID_CLOSE);
    ShowList();
    SetSizerAndFit(column);
    CentreOnParent();
}

void DoNotSendDialog::OnClose(wxCommandEvent&) { EndModal(wxID_CLOSE); }
void DoNotSendDialog::OnSelected(wxListEvent&) { remove->Enable(list->GetSelectedItemCount() > 0); }

void DoNotSendDialog::OnAdd(wxCommandEvent&)
{
    wxTextEntryDialog ask(this, FromUtf8("Address that no release from " + sender_ + " should go to:"),
                          "Add to the Do-Not-Send List");
    if (ask.ShowModal() != wxID_OK)
        return;
    const std::string address = SplitMailbox(ask.GetValue().Strip(wxString::both).utf8_string()).address;
    if (address.empty())
        return;
    if (const std::string why = AddressProblem(address); !why.empty()) {
        ShowInformation(this, "Nothing was added: \"" + address + "\" " + why + ".", kCaption);
        return;
    }
    const Result<> added = entries_->Add({address, DoNotSendReason::ByHand, std::time(nullptr), ""});
    if (!added)
        ShowFailure(added.failure());
    else
        ShowList();
}

void DoNotSendDialog::OnRemove(wxCommandEvent&)
{
    const std::vector<std::string> addresses = SelectedAddresses();
    if (addresses.empty())
        return;
    const std::string whom =
        addresses.size() == 1 ? addresses.front() : std::to_string(addresses.size()) + " addresses";
    if (wxMessageBox(
            FromUtf8("Take " + whom + " off the list? Releases from " + sender_ + " will go to them again."),
            kCaption, wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, this) != wxYES)
        return;
    for (const std::string& address : addresses) {
        // Missing: another run took it off meanwhile, which is what was asked.
        const Result<> removed = entries_->Remove(address);
        if (!removed && removed.failure() != Failure::Missing) {
            ShowFailure(removed.failure());
            return;
        }
    }
    ShowList();
}

void DoNotSendDialog::ShowFailure(Failure failure)
{
    ShowInformation(this, DoNotSendProblem(failure, DoNotSendPath(sender_)), kCaption);
    // The list in memory may hold the change that was not written.
    entries_ = DoNotSendListOf(sender_);
    ShowList();
}

void DoNotSendDialog::ShowList()
{
    list->DeleteAllItems();
    problem->SetLabel(entries_ ? wxString()
                               : FromUtf8(DoNotSendProblem(entries_.failure(), DoNotSendPath(sender_))));
    problem->Wrap(list->GetSize().x);
    problem->Show(!entries_);
    add->Enable(static_cast<bool>(entries_));
    remove->Disable();
    if (entries_)
        for (const DoNotSendEntry& entry : entries_->Entries()) {
            const long item = list->InsertItem(list->GetItemCount(), FromUtf8(entry.address));
            list->SetItem(item, 1, WhyText(entry.reason));
            list->SetItem(item, 2, DayText(entry.when));
            list->SetItem(item, 3, FromUtf8(entry.evidence));
        }
    if (GetSizer())
        Layout();
}

std::vector<std::string> DoNotSendDialog::SelectedAddresses() const
{
    std::vector<std::string> addresses;
    for (long item = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); item != -1;
         item = list->GetNextItem(item, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        addresses.push_back(list->GetItemText(item).utf8_string());
    return addresses;
}
