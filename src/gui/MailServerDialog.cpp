#include "gui/MailServerDialog.h"

#include "core/mail/MailAddresses.h"
#include "core/mail/SmtpTransport.h"

namespace {

std::string Text(const wxTextCtrl* field) { return field->GetValue().utf8_string(); }

wxTextCtrl* AddField(wxWindow* parent, wxFlexGridSizer* grid, const char* label, const std::string& value)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* field =
        new wxTextCtrl(parent, wxID_ANY, wxString::FromUTF8(value), wxDefaultPosition, wxSize(320, -1));
    grid->Add(field, 1, wxEXPAND);
    return field;
}

}  // namespace

MailServerDialog::MailServerDialog(wxWindow* parent, const MailSettings& settings)
    : wxDialog(parent, wxID_ANY, "Mail Server")
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
    column->Add(grid, 0, wxEXPAND | wxALL, 12);
    column->Add(note, 0, wxLEFT | wxRIGHT, 12);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 12);
    SetSizerAndFit(column);
    CentreOnParent();
}

MailSettings MailServerDialog::Settings() const
{
    MailSettings settings;
    settings.server = Text(server);
    settings.user = Text(user);
    settings.sender = Text(sender);
    if (!ParsePerMinute(Text(perMinute), settings.perMinute))
        settings.perMinute = kDefaultMessagesPerMinute;
    return settings;
}

std::string MailServerDialog::Problem() const
{
    if (const std::string url = Text(server); !url.empty()) {
        if (const std::string problem = ServerUrlSecurity(url).problem; !problem.empty())
            return "Please correct the server: " + problem + ".";
    }
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
