#include "gui/MailServerDialog.h"

#include <wx/textdlg.h>

#include "core/mail/MailAddresses.h"
#include "gui/CommandIds.h"

namespace {

std::string Text(const wxTextCtrl* field) { return field->GetValue().utf8_string(); }
wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

wxTextCtrl* AddField(wxWindow* parent, wxFlexGridSizer* grid, const char* label, const std::string& value)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* field = new wxTextCtrl(parent, wxID_ANY, FromUtf8(value), wxDefaultPosition, wxSize(320, -1));
    grid->Add(field, 1, wxEXPAND);
    return field;
}

// A label that wraps within the fields' width instead of widening the dialog.
wxStaticText* AddNotice(wxWindow* parent, wxSizer* column, const wxColour& colour)
{
    auto* notice = new wxStaticText(parent, wxID_ANY, "");
    if (colour.IsOk())
        notice->SetForegroundColour(colour);
    column->Add(notice, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    notice->Hide();
    return notice;
}

std::string ConnectionText(const SendReply& reply)
{
    if (reply.outcome == SendOutcome::Sent)
        return "The server took the login: " + reply.reply;
    return "The connection failed: " + reply.reply;
}

}  // namespace

wxBEGIN_EVENT_TABLE(MailServerDialog, wxDialog)
    EVT_BUTTON(wxID_OK, MailServerDialog::OnOk)
    EVT_BUTTON(ID_TEST_CONNECTION, MailServerDialog::OnTestConnection)
wxEND_EVENT_TABLE()

MailServerDialog::MailServerDialog(wxWindow* parent, const MailSettings& settings)
    : wxDialog(parent, wxID_ANY, "Mail Server"), timeLimit_(settings.timeLimit)
{
    auto* grid = new wxFlexGridSizer(2, 8, 8);
    grid->AddGrowableCol(1);
    server = AddField(this, grid, "Server:", settings.server);
    server->SetHint("smtps://mail.example.org");
    user = AddField(this, grid, "User:", settings.user);
    sender = AddField(this, grid, "Sender:", settings.sender);
    sender->SetHint("the form's contact");
    perMinute = AddField(this, grid, "Messages per minute:", std::to_string(settings.perMinute));
    auto* note = new wxStaticText(this, wxID_ANY,
                                  "smtps:// uses TLS from the start, smtp:// requires STARTTLS.\n"
                                  "The password is asked for when you send; it is never saved.");
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    problem = AddNotice(this, column, *wxRED);
    column->Add(note, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    connection = AddNotice(this, column, wxNullColour);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, ID_TEST_CONNECTION, "Test Connection"));
    buttons->AddStretchSpacer();
    buttons->Add(CreateButtonSizer(wxOK | wxCANCEL));
    column->Add(buttons, 0, wxEXPAND | wxALL, 12);
    SetSizerAndFit(column);
    CentreOnParent();
    server->SetFocus();
    Bind(wxEVT_TEXT, &MailServerDialog::OnEdited, this);
}

// What was wrong may be right now; the next OK or test says again.
void MailServerDialog::OnEdited(wxCommandEvent&)
{
    if (!problem->IsShown())
        return;
    problem->Hide();
    Layout();
    Fit();
}

void MailServerDialog::OnOk(wxCommandEvent& event)
{
    if (ShowProblem())
        event.Skip();  // the dialog's own handler ends it with OK
}

bool MailServerDialog::ShowProblem()
{
    const std::string text = Problem();
    problem->SetLabel(FromUtf8(text));
    problem->Wrap(server->GetSize().x + 160);
    problem->Show(!text.empty());
    Layout();
    Fit();
    return text.empty();
}

void MailServerDialog::OnTestConnection(wxCommandEvent&)
{
    if (!ShowProblem())
        return;
    SmtpServer tested = MailServerOf(Settings());
    if (tested.url.empty()) {
        problem->SetLabel("Please give the server first.");
        problem->Show();
        Fit();
        return;
    }
    if (!AskMailPassword(this, tested))
        return;
    SendReply reply;
    {
        wxBusyCursor busy;
        wxWindowDisabler disabled;  // nothing may be changed or clicked twice meanwhile
        reply = CheckMailServer(tested, [] {
            wxTheApp->Yield(true);
            return true;
        });
    }
    connection->SetLabel(FromUtf8(ConnectionText(reply)));
    connection->Wrap(server->GetSize().x + 160);
    connection->Show();
    Layout();
    Fit();
}

MailSettings MailServerDialog::Settings() const
{
    MailSettings settings;
    settings.server = Text(server);
    settings.user = Text(user);
    settings.sender = Text(sender);
    if (!ParsePerMinute(Text(perMinute), settings.perMinute))
        settings.perMinute = kDefaultMessagesPerMinute;
    settings.timeLimit = timeLimit_;  // no field here; a value set elsewhere is kept
    return settings;
}

std::string MailServerDialog::Problem() const
{
    if (const std::string url = Text(server); !url.empty()) {
        if (const std::string problem = ServerUrlSecurity(url).problem; !problem.empty())
            return "Please correct the server: " + problem + ".";
    }
    if (const std::string problem = MailUserProblem(Text(server), Text(user)); !problem.empty())
        return "Please correct the user: " + problem + ".";
    if (const std::string text = Text(sender); !text.empty()) {
        const std::string address = SplitMailbox(text).address;
        if (const std::string problem = AddressProblem(address); !problem.empty())
            return "Please correct the sender: \"" + address + "\" " + problem + ".";
    }
    int ignored = 0;
    if (!ParsePerMinute(Text(perMinute), ignored))
        return "Please give the messages per minute as a whole number from 0 to 6000 (0: no pause).";
    return {};
}

SmtpServer MailServerOf(const MailSettings& settings)
{
    SmtpServer server;
    server.url = settings.server;
    server.user = settings.user;
    server.timeLimit = std::chrono::seconds(settings.timeLimit);
    return server;
}

bool AskMailPassword(wxWindow* parent, SmtpServer& server)
{
    if (server.user.empty() || !server.password.empty())
        return true;
    wxPasswordEntryDialog ask(parent,
                              "Password of " + FromUtf8(server.user) + " at " + FromUtf8(server.url) + ":",
                              "Mail Server Password");
    if (ask.ShowModal() != wxID_OK)
        return false;
    server.password = ask.GetValue().utf8_string();
    return true;
}
