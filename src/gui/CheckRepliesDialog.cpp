#include "gui/CheckRepliesDialog.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>

#include "core/mail/SmtpTransport.h"

namespace {

constexpr int kChooseMaildir = wxID_HIGHEST + 1;
constexpr int kChooseMbox = wxID_HIGHEST + 2;

wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }
std::string Text(const wxTextCtrl* field) { return field->GetValue().utf8_string(); }

}  // namespace

wxBEGIN_EVENT_TABLE(CheckRepliesDialog, wxDialog)
    EVT_BUTTON(wxID_OK, CheckRepliesDialog::OnOk)
    EVT_BUTTON(kChooseMaildir, CheckRepliesDialog::OnChooseMaildir)
    EVT_BUTTON(kChooseMbox, CheckRepliesDialog::OnChooseMbox)
    EVT_RADIOBUTTON(wxID_ANY, CheckRepliesDialog::OnChosen)
wxEND_EVENT_TABLE()

CheckRepliesDialog::CheckRepliesDialog(wxWindow* parent, const MailSettings& settings,
                                       const std::string& senderAddress)
    : wxDialog(parent, wxID_ANY, "Check Replies")
{
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY,
                                 FromUtf8("Bounces, complaints and unsubscribe requests for " +
                                          senderAddress + ",\nread from:")),
                0, wxLEFT | wxRIGHT | wxTOP, 12);
    auto* grid = new wxFlexGridSizer(3, 8, 8);
    grid->AddGrowableCol(1);
    fromServer =
        new wxRadioButton(this, wxID_ANY, "The &mail server:", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    const std::string imap = ImapServerOf(settings);
    imapUrl = AddSource(grid, fromServer, FromUtf8(imap), wxID_NONE);
    fromMaildir = new wxRadioButton(this, wxID_ANY, "A Maildir &folder:");
    maildir = AddSource(grid, fromMaildir, "", kChooseMaildir);
    fromMbox = new wxRadioButton(this, wxID_ANY, "An m&box file:");
    mbox = AddSource(grid, fromMbox, "", kChooseMbox);
    column->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    // IMAP always needs a login: the one sending uses.
    const bool server = !settings.server.empty() && !settings.user.empty();
    const std::string login = server
        ? "The mail server is read as " + settings.user +
            ", the login of Settings, Mail Server; nothing there is changed."
        : "To read the mail server, give its server and user in Settings, Mail Server.";
    auto* note = new wxStaticText(this, wxID_ANY, FromUtf8(login));
    note->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    column->Add(note, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    problem = new wxStaticText(this, wxID_ANY, "");
    problem->SetForegroundColour(*wxRED);
    problem->Hide();
    column->Add(problem, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 12);
    fromServer->Enable(server);
    (server ? fromServer : fromMaildir)->SetValue(true);
    // Where they were read the last time for this sender.
    if (const std::optional<ReplySource> last = RememberedReplySource(senderAddress)) {
        if (last->kind == ReplySource::Kind::Maildir) {
            fromMaildir->SetValue(true);
            maildir->SetValue(FromUtf8(last->path));
        } else if (last->kind == ReplySource::Kind::Mbox) {
            fromMbox->SetValue(true);
            mbox->SetValue(FromUtf8(last->path));
        }
    }
    EnableChosen();
    SetSizerAndFit(column);
    CentreOnParent();
}

wxTextCtrl* CheckRepliesDialog::AddSource(wxFlexGridSizer* grid, wxRadioButton* choice, const wxString& value,
                                          int chooseId)
{
    grid->Add(choice, 0, wxALIGN_CENTER_VERTICAL);
    auto* field = new wxTextCtrl(this, wxID_ANY, value, wxDefaultPosition, wxSize(320, -1));
    grid->Add(field, 1, wxEXPAND);
    if (chooseId == wxID_NONE)
        grid->AddSpacer(0);
    else
        grid->Add(new wxButton(this, chooseId, "Choose..."));
    return field;
}

void CheckRepliesDialog::OnChosen(wxCommandEvent&) { EnableChosen(); }

// Only the chosen source's field takes typing.
void CheckRepliesDialog::EnableChosen()
{
    imapUrl->Enable(fromServer->GetValue());
    maildir->Enable(fromMaildir->GetValue());
    mbox->Enable(fromMbox->GetValue());
    FindWindow(kChooseMaildir)->Enable(fromMaildir->GetValue());
    FindWindow(kChooseMbox)->Enable(fromMbox->GetValue());
}

void CheckRepliesDialog::OnChooseMaildir(wxCommandEvent&)
{
    wxDirDialog choose(this, "Maildir folder (it holds cur and new)", maildir->GetValue(),
                       wxDD_DIR_MUST_EXIST);
    if (choose.ShowModal() == wxID_OK)
        maildir->SetValue(choose.GetPath());
}

void CheckRepliesDialog::OnChooseMbox(wxCommandEvent&)
{
    wxFileDialog choose(this, "mbox file", "", mbox->GetValue(), "All files (*)|*",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (choose.ShowModal() == wxID_OK)
        mbox->SetValue(choose.GetPath());
}

void CheckRepliesDialog::OnOk(wxCommandEvent& event)
{
    const std::string text = Problem();
    problem->SetLabel(FromUtf8(text));
    problem->Wrap(imapUrl->GetSize().x + 160);
    problem->Show(!text.empty());
    Layout();
    Fit();
    if (text.empty())
        event.Skip();  // the dialog's own handler ends it with OK
}

std::string CheckRepliesDialog::Problem() const
{
    if (fromServer->GetValue()) {
        if (const std::string url = Text(imapUrl); url.empty())
            return "Please give the mail server's IMAP address (imaps://...).";
        else if (const std::string why = ServerUrlSecurity(url, "imaps", "imap").problem; !why.empty())
            return "Please correct the mail server's address: " + why + ".";
    }
    if (fromMaildir->GetValue() && maildir->GetValue().empty())
        return "Please give the Maildir folder.";
    if (fromMbox->GetValue() && mbox->GetValue().empty())
        return "Please give the mbox file.";
    return {};
}

ReplySource CheckRepliesDialog::Source() const
{
    ReplySource source;
    if (fromServer->GetValue()) {
        source.kind = ReplySource::Kind::Server;
        source.server.url = Text(imapUrl);
    } else if (fromMaildir->GetValue()) {
        source.kind = ReplySource::Kind::Maildir;
        source.path = Text(maildir);
    } else {
        source.kind = ReplySource::Kind::Mbox;
        source.path = Text(mbox);
    }
    return source;
}
