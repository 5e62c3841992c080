#include "gui/MailServerDialog.h"

#include <cctype>

#include <wx/textdlg.h>

#include "core/receivers/MailAddresses.h"
#include "core/signin/Keyring.h"
#include "core/signin/TokenSource.h"
#include "gui/CommandIds.h"
#include "gui/DesktopLauncher.h"

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

// The choice's items, in this order.
const char* const kLoginChoices[] = {"Password", "Microsoft 365", "Google", "Other OAuth 2.0 provider"};

int ChoiceOf(std::optional<SignInProvider> provider)
{
    if (!provider)
        return 0;
    switch (*provider) {
    case SignInProvider::Microsoft: return 1;
    case SignInProvider::Google: return 2;
    case SignInProvider::Other: break;
    }
    return 3;
}

std::string WithWhom(SignInProvider provider, const OAuthEndpoints& endpoints)
{
    if (provider == SignInProvider::Other)
        return "at " + endpoints.tokenUrl;
    return std::string("with ") + kLoginChoices[ChoiceOf(provider)];
}

// Said once a run: after that the password is simply asked for.
bool noKeyringSaid = false;

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
    EVT_CLOSE(MailServerDialog::OnClose)
wxEND_EVENT_TABLE()

MailServerDialog::MailServerDialog(wxWindow* parent, const MailSettings& settings)
    : wxDialog(parent, wxID_ANY, "Mail Server"), timeLimit_(settings.timeLimit),
      imapServer_(settings.imapServer)
{
    const Result<RememberedSignIn> remembered = RememberedSignInFor(settings.server, settings.user);
    auto* grid = new wxFlexGridSizer(2, 8, 8);
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(this, wxID_ANY, "Log in with:"), 0, wxALIGN_CENTER_VERTICAL);
    wxArrayString choices;
    for (const char* choice : kLoginChoices)
        choices.Add(choice);
    login = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, choices);
    login->SetSelection(ChoiceOf(remembered ? std::optional(remembered->provider) : std::nullopt));
    grid->Add(login, 0);
    server = AddField(this, grid, "Server:", settings.server);
    server->SetHint("smtps://mail.example.org");
    user = AddField(this, grid, "User:", settings.user);
    sender = AddField(this, grid, "Sender:", settings.sender);
    sender->SetHint("the form's contact");
    perMinute = AddField(this, grid, "Messages per minute:", std::to_string(settings.perMinute));

    const bool other = remembered && remembered->provider == SignInProvider::Other;
    OAuthEndpoints endpoints = other ? remembered->endpoints : OAuthEndpoints{};
    // In the same grid, so that the labels line up; a hidden row takes no room.
    const auto addOther = [&](const char* label, const std::string& value) {
        wxTextCtrl* field = AddField(this, grid, label, value);
        otherRows_.push_back(grid->GetItem(grid->GetItemCount() - 2)->GetWindow());
        otherRows_.push_back(field);
        return field;
    };
    authorizeUrl = addOther("Authorization URL:", endpoints.authorizeUrl);
    tokenUrl = addOther("Token URL:", endpoints.tokenUrl);
    scope = addOther("Scope:", endpoints.scope);
    ReadClientRegistration(SignInProvider::Other, endpoints);
    clientId = addOther("Client ID:", endpoints.clientId);
    unsubscribeUrl = AddField(this, grid, "Unsubscribe web address:", settings.unsubscribeUrl);
    unsubscribeUrl->SetHint("optional, https://...");
    unsubscribeFooter = new wxCheckBox(this, wxID_ANY, "Add a line on how to opt out under the release");
    unsubscribeFooter->SetValue(settings.unsubscribeFooter);

    rememberPassword = new wxCheckBox(this, wxID_ANY, "Remember password (in the desktop's keyring)");
    rememberPassword->SetValue(settings.rememberPassword);
    signInRow_ = new wxBoxSizer(wxHORIZONTAL);
    signIn = new wxButton(this, wxID_ANY, "Sign In...");
    signOut = new wxButton(this, wxID_ANY, "Sign Out");
    signInRow_->Add(signIn);
    signInRow_->Add(signOut, 0, wxLEFT, 8);
    signedIn = new wxStaticText(this, wxID_ANY, "");

    auto* note = new wxStaticText(this, wxID_ANY,
                                  "smtps:// uses TLS from the start, smtp:// requires STARTTLS.\n"
                                  "A password is asked for when you send; only Remember keeps it, in the keyring.");
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    column->Add(unsubscribeFooter, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    column->Add(rememberPassword, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    column->Add(signInRow_, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    column->Add(signedIn, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    problem = AddNotice(this, column, *wxRED);
    column->Add(note, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    connection = AddNotice(this, column, wxNullColour);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, ID_TEST_CONNECTION, "Test Connection"));
    buttons->AddStretchSpacer();
    buttons->Add(CreateButtonSizer(wxOK | wxCANCEL));
    column->Add(buttons, 0, wxEXPAND | wxALL, 12);
    SetSizer(column);
    ShowLoginFields();
    CentreOnParent();
    server->SetFocus();
    Bind(wxEVT_TEXT, &MailServerDialog::OnEdited, this);
    login->Bind(wxEVT_CHOICE, &MailServerDialog::OnLoginChosen, this);
    Bind(wxEVT_BUTTON, &MailServerDialog::OnSignIn, this, signIn->GetId());
    Bind(wxEVT_BUTTON, &MailServerDialog::OnSignOut, this, signOut->GetId());
    Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
        StopSignIn();
        event.Skip();
    }, wxID_CANCEL);
}

// A sign-in still waiting for the browser is cancelled, not left behind.
MailServerDialog::~MailServerDialog() { StopSignIn(); }

void MailServerDialog::OnClose(wxCloseEvent& event)
{
    StopSignIn();
    event.Skip();
}

void MailServerDialog::StopSignIn()
{
    cancelled_ = true;
    if (worker_.joinable())
        worker_.join();
}

void MailServerDialog::Refit()
{
    Layout();
    Fit();
}

std::optional<SignInProvider> MailServerDialog::Provider() const
{
    switch (login->GetSelection()) {
    case 1: return SignInProvider::Microsoft;
    case 2: return SignInProvider::Google;
    case 3: return SignInProvider::Other;
    default: return std::nullopt;
    }
}

void MailServerDialog::ShowLoginFields()
{
    const std::optional<SignInProvider> provider = Provider();
    for (wxWindow* row : otherRows_)
        row->Show(provider == SignInProvider::Other);
    rememberPassword->Show(!provider);
    GetSizer()->Show(signInRow_, provider.has_value(), true);
    signedIn->Show(provider.has_value());
    if (provider)
        ShowSignedIn();
    Refit();
}

// A preset brings its own server; the endpoints come with the sign-in.
void MailServerDialog::OnLoginChosen(wxCommandEvent&)
{
    const std::optional<SignInProvider> provider = Provider();
    if (provider && *provider != SignInProvider::Other)
        server->ChangeValue(FromUtf8(PresetOf(*provider).server));
    ShowLoginFields();
}

SignInRequest MailServerDialog::Request() const
{
    SignInRequest request;
    request.server = Text(server);
    request.user = Text(user);
    request.provider = Provider().value_or(SignInProvider::Other);
    if (request.provider == SignInProvider::Other)
        request.endpoints = {Text(authorizeUrl), Text(tokenUrl), Text(scope), Text(clientId), {}};
    else
        request.endpoints = PresetOf(request.provider).endpoints;
    ReadClientRegistration(request.provider, request.endpoints);
    return request;
}

void MailServerDialog::ShowSignInText(const std::string& text)
{
    signedIn->SetLabel(FromUtf8(text));
    signedIn->Wrap(server->GetSize().x + 160);
    Refit();
}

void MailServerDialog::ShowSignedIn()
{
    const std::optional<SignInProvider> provider = Provider();
    if (!provider || SigningIn())
        return;
    const Result<RememberedSignIn> now = SignedIn(Text(server), Text(user));
    if (now && now->provider == *provider)
        ShowSignInText("Signed in as " + now->user + " " + WithWhom(now->provider, now->endpoints) + ".");
    else if (!now && now.failure() == Failure::CannotOpen)
        ShowSignInText(std::string("Not signed in: ") + kNoKeyringText + ".");
    else
        ShowSignInText("Not signed in.");
    signOut->Enable(static_cast<bool>(now));
}

// The browser is awaited on a thread of its own, so that this window
// answers (and Cancel is heard) all the while.
void MailServerDialog::OnSignIn(wxCommandEvent&)
{
    if (SigningIn()) {
        cancelled_ = true;
        return;
    }
    if (!ShowProblem())
        return;
    const SignInRequest request = Request();
    std::string missing = request.user.empty() ? "the sign-in needs the user name" : SignInRequestProblem(request);
    if (!missing.empty()) {
        missing[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(missing[0])));
        ShowSignInText(missing + ".");
        return;
    }
    for (wxWindow* field : {static_cast<wxWindow*>(login), static_cast<wxWindow*>(server),
                            static_cast<wxWindow*>(user), static_cast<wxWindow*>(authorizeUrl),
                            static_cast<wxWindow*>(tokenUrl), static_cast<wxWindow*>(scope),
                            static_cast<wxWindow*>(clientId), static_cast<wxWindow*>(signOut),
                            FindWindow(wxID_OK), FindWindow(ID_TEST_CONNECTION)})
        field->Disable();
    signIn->SetLabel("Cancel Sign-In");
    ShowSignInText("Waiting for the browser: sign in there as " + request.user + ".");
    cancelled_ = false;
    worker_ = std::thread([this, request] {
        const SignInResult result = SignInWithBrowser(
            request,
            [this](const std::string& url) {
                CallAfter([this, url] {
                    if (!OpenWithDesktop(url))
                        ShowSignInText("No browser could be opened; open this address in one:\n" + url);
                });
            },
            [this] { return !cancelled_; });
        CallAfter([this, result] { SignInEnded(result); });
    });
}

void MailServerDialog::SignInEnded(const SignInResult& result)
{
    if (worker_.joinable())
        worker_.join();
    for (wxWindow* field : {static_cast<wxWindow*>(login), static_cast<wxWindow*>(server),
                            static_cast<wxWindow*>(user), static_cast<wxWindow*>(authorizeUrl),
                            static_cast<wxWindow*>(tokenUrl), static_cast<wxWindow*>(scope),
                            static_cast<wxWindow*>(clientId), FindWindow(wxID_OK),
                            FindWindow(ID_TEST_CONNECTION)})
        field->Enable();
    signIn->SetLabel("Sign In...");
    if (result.end == SignInEnd::SignedIn)
        ShowSignedIn();
    else if (result.end == SignInEnd::NoKeyring)
        ShowSignInText(std::string("Not signed in: the sign-in cannot be kept: ") + kNoKeyringText + ".");
    else
        ShowSignInText("Not signed in: " + (cancelled_ ? std::string("cancelled") : result.problem) + ".");
}

void MailServerDialog::OnSignOut(wxCommandEvent&)
{
    if (const Result<> out = SignOut(Text(server), Text(user)); !out) {
        ShowSignInText(out.failure() == Failure::CannotOpen
                           ? std::string("The sign-in cannot be ended: ") + kNoKeyringText + "."
                           : std::string("The sign-in cannot be ended: the settings cannot be written."));
        return;
    }
    ShowSignedIn();
}

// What was wrong may be right now; the next OK or test says again.
void MailServerDialog::OnEdited(wxCommandEvent& event)
{
    if (event.GetEventObject() == server || event.GetEventObject() == user)
        ShowSignedIn();
    if (!problem->IsShown())
        return;
    problem->Hide();
    Layout();
    Fit();
}

void MailServerDialog::OnOk(wxCommandEvent& event)
{
    if (SigningIn())
        return;  // the sign-in's end decides what OK keeps
    if (!ShowProblem())
        return;
    // Saved without its sign-in, a provider's server would be sent to with
    // a password, which it refuses.
    if (const std::optional<SignInProvider> provider = Provider()) {
        const Result<RememberedSignIn> now = SignedIn(Text(server), Text(user));
        if (!now || now->provider != *provider) {
            ShowProblem("Please sign in first (Sign In...), or log in with a password.");
            return;
        }
    }
    event.Skip();  // the dialog's own handler ends it with OK
}

bool MailServerDialog::ShowProblem() { return ShowProblem(Problem()); }

bool MailServerDialog::ShowProblem(const std::string& text)
{
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
    MailLogin login(Settings());
    if (!login.Prepare(this, tested))
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
    login.Sent(tested, reply.outcome == SendOutcome::Sent);
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
    settings.imapServer = imapServer_;  // Check Replies asks for it
    settings.rememberPassword = !Provider() && rememberPassword->GetValue();
    settings.unsubscribeUrl = Text(unsubscribeUrl);
    settings.unsubscribeFooter = unsubscribeFooter->GetValue();
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
    if (const std::string problem = UnsubscribeUrlProblem(Text(unsubscribeUrl)); !problem.empty())
        return "Please correct the unsubscribe web address: " + problem + ".";
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

bool MailLogin::Prepare(wxWindow* parent, SmtpServer& server)
{
    if (server.user.empty() || !server.password.empty() || server.tokens)
        return true;
    SendingTokens tokens = TokensForSending(server.url, server.user);
    if (tokens.source) {
        server.tokens = std::move(tokens.source);
        return true;
    }
    if (!tokens.problem.empty()) {
        std::string text = notDone_ + (": " + tokens.problem) + ".";
        if (tokens.signInAgain)
            text += "\n\nPlease sign in again: Settings, Mail Server..., Sign In...";
        else if (tokens.badSettings)
            text += "\n\nPlease correct it in Settings, Mail Server...";
        wxMessageBox(FromUtf8(text), caption_, wxOK | wxICON_INFORMATION, parent);
        return false;
    }
    if (remember_) {
        const Result<std::string> kept = ReadSecret(SecretKind::Password, server.url, server.user);
        if (kept && !kept->empty()) {
            server.password = *kept;
            return true;
        }
        if (!kept && kept.failure() == Failure::CannotOpen && !noKeyringSaid) {
            noKeyringSaid = true;
            wxMessageBox(FromUtf8(std::string("The password cannot be remembered: ") + kNoKeyringText +
                                  ". It is asked for each time."),
                         "Mail Server Password", wxOK | wxICON_INFORMATION, parent);
        }
    }
    if (!AskMailPassword(parent, server))
        return false;
    asked_ = true;
    return true;
}

// Only a password the server took is kept: a mistyped one would otherwise
// be offered again and again.
void MailLogin::Sent(const SmtpServer& server, bool accepted)
{
    if (!remember_ || !asked_ || !accepted)
        return;
    if (StoreSecret(SecretKind::Password, server.url, server.user, server.password))
        asked_ = false;
}

void ApplyLoginChoice(const MailSettings& before, const MailServerDialog& dialog)
{
    const MailSettings after = dialog.Settings();
    if (before.rememberPassword && !before.user.empty() &&
        (!after.rememberPassword || after.server != before.server || after.user != before.user))
        (void)ForgetSecret(SecretKind::Password, before.server, before.user);  // no keyring: none is kept
    // Without a keyring the token cannot be removed, but the choice of a
    // password must hold all the same: else each send would stop at the
    // sign-in it cannot read.
    if (!dialog.Provider() && RememberedSignInFor(after.server, after.user) && !SignOut(after.server, after.user))
        (void)ForgetSignIn();  // the settings were just written
}
