#include "gui/SendPreviewDialog.h"

#include "gui/CommandIds.h"

namespace {

wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

std::string Facts(const SendPreview& preview)
{
    std::string facts = "Receivers: " + std::to_string(preview.receivers);
    if (preview.alreadySent > 0)
        facts += " (" + std::to_string(preview.alreadySent) + " of them have it already and are left out)";
    facts += "\n";
    if (preview.skipped > 0)
        facts += "Skipped, no address: " + std::to_string(preview.skipped) + "\n";
    facts += "Server: " + preview.server + "\nSender: " + preview.sender + "\nSubject: " + preview.subject;
    return facts;
}

}  // namespace

wxBEGIN_EVENT_TABLE(SendPreviewDialog, wxDialog)
    EVT_BUTTON(ID_SEND_TEST, SendPreviewDialog::OnSendTest)
wxEND_EVENT_TABLE()

void SendPreviewDialog::OnSendTest(wxCommandEvent&) { EndModal(ID_SEND_TEST); }

SendPreviewDialog::SendPreviewDialog(wxWindow* parent, const SendPreview& preview)
    : wxDialog(parent, wxID_ANY, "Send to Receivers", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
{
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, FromUtf8(Facts(preview))), 0, wxALL, 12);
    if (!preview.skippedList.empty()) {
        auto* skipped = new wxTextCtrl(this, wxID_ANY, FromUtf8(preview.skippedList), wxDefaultPosition,
                                       wxSize(-1, 60), wxTE_MULTILINE | wxTE_READONLY);
        column->Add(skipped, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    }
    auto* message = new wxTextCtrl(this, wxID_ANY, FromUtf8(preview.message), wxDefaultPosition,
                                   wxSize(620, 320), wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL);
    message->SetFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE)));
    message->ShowPosition(0);
    column->Add(message, 1, wxEXPAND | wxALL, 12);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, ID_SEND_TEST, "Send a Test to Me"), 0, wxRIGHT, 8);
    buttons->AddStretchSpacer();
    auto* send = new wxButton(this, wxID_OK, "Send");
    send->Enable(preview.receivers > preview.alreadySent);
    buttons->Add(send, 0, wxRIGHT, 8);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    SetSizerAndFit(column);
    CentreOnParent();
}
