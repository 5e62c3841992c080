#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <wx/wx.h>

#include "core/mail/MailSettings.h"
#include "core/mail/SmtpTransport.h"
#include "core/signin/SignInFlow.h"

// Settings, "Mail Server...": how to log in, the server, the user, the
// sender and the pace. A password is asked for when a send or a test needs
// it, kept only in the keyring when "Remember password" is ticked; a
// provider's sign-in runs in the browser and its token goes to the keyring.
// OK with a wrong value says what is wrong in red and keeps the dialog
// open; "Test Connection" logs in without sending.
class MailServerDialog : public wxDialog {
public:
    MailServerDialog(wxWindow* parent, const MailSettings& settings);
    ~MailServerDialog() override;

    // What is typed, and what is wrong with it (empty when nothing).
    MailSettings Settings() const;
    std::string Problem() const;
    // Shows the problem in red beside the fields; true when there is none.
    bool ShowProblem();

    // The provider chosen, none for "Password".
    std::optional<SignInProvider> Provider() const;
    // The sign-in that "Sign In..." would begin, endpoints and client ID filled.
    SignInRequest Request() const;
    // While the browser is awaited; "Sign In..." then reads "Cancel Sign-In".
    bool SigningIn() const { return worker_.joinable(); }

    wxChoice* login;  // Password, Microsoft 365, Google, Other OAuth 2.0 provider
    wxTextCtrl* server;
    wxTextCtrl* user;
    wxTextCtrl* sender;
    wxTextCtrl* perMinute;
    wxTextCtrl* authorizeUrl;  // these four with Other only
    wxTextCtrl* tokenUrl;
    wxTextCtrl* scope;
    wxTextCtrl* clientId;
    wxCheckBox* rememberPassword;  // with Password only
    wxTextCtrl* unsubscribeUrl;
    wxCheckBox* unsubscribeFooter;
    wxButton* signIn;
    wxButton* signOut;
    wxStaticText* signedIn;  // who is signed in, or why not
    wxStaticText* problem;
    wxStaticText* connection;  // what the last test found, in the server's words

private:
    void OnOk(wxCommandEvent& event);
    void OnEdited(wxCommandEvent& event);
    void OnTestConnection(wxCommandEvent& event);
    void OnLoginChosen(wxCommandEvent& event);
    void OnSignIn(wxCommandEvent& event);
    void OnSignOut(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    bool ShowProblem(const std::string& text);
    void ShowLoginFields();
    void ShowSignedIn();
    void ShowSignInText(const std::string& text);
    void SignInEnded(const SignInResult& result);
    void StopSignIn();
    void Refit();

    int timeLimit_;
    std::string imapServer_;
    std::vector<wxWindow*> otherRows_;  // labels and fields shown with Other only
    wxSizer* signInRow_ = nullptr;
    std::thread worker_;
    std::atomic<bool> cancelled_{false};

    wxDECLARE_EVENT_TABLE();
};

// The server of the settings, without its password.
SmtpServer MailServerOf(const MailSettings& settings);

// Asks for the password when the server has a user and none is known yet;
// false when the user cancels.
bool AskMailPassword(wxWindow* parent, SmtpServer& server);

// How a send logs in as the settings' user: with the sign-in's tokens, the
// password kept in the keyring, or the one asked for (kept in the keyring
// once the server took it, when "Remember password" is ticked). False when
// nothing may be sent; the user has been told why.
class MailLogin {
public:
    // notDone begins what a refused sign-in makes the user read, under caption.
    explicit MailLogin(const MailSettings& settings, const char* notDone = "Nothing was sent",
                       const char* caption = "Send to Receivers")
        : remember_(settings.rememberPassword), notDone_(notDone), caption_(caption)
    {
    }
    bool Prepare(wxWindow* parent, SmtpServer& server);
    // After a send: accepted when the server took at least one message.
    void Sent(const SmtpServer& server, bool accepted);

private:
    bool remember_;
    bool asked_ = false;
    const char* notDone_;
    const char* caption_;
};

// After OK: a password ticked off is forgotten, and choosing "Password"
// ends the sign-in of that server and user.
void ApplyLoginChoice(const MailSettings& before, const MailServerDialog& dialog);
