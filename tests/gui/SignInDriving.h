#pragma once

// Driving Settings, "Mail Server..." through a sign-in with the "Other
// OAuth 2.0 provider", for the tests that sign in (on Linux with the
// servers they start, under Wine with those a script started outside).
#include <functional>
#include <string>

#include "GuiTestSupport.h"
#include "gui/MailServerDialog.h"

template <class Dialog> class Answer : public wxExpectModalBase<Dialog, Answer<Dialog>> {
public:
    using Handler = std::function<int(Dialog*)>;
    explicit Answer(int answer) : handler_([answer](Dialog*) { return answer; }) {}
    explicit Answer(Handler handler) : handler_(std::move(handler)) {}

protected:
    int OnInvoked(Dialog* dialog) const override { return handler_(dialog); }

private:
    Handler handler_;
};

inline void Click(wxWindow* window, wxButton* button)
{
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    window->ProcessWindowEvent(click);
}

inline void Choose(MailServerDialog* dialog, int item)
{
    dialog->login->SetSelection(item);
    wxCommandEvent chosen(wxEVT_CHOICE, dialog->login->GetId());
    chosen.SetEventObject(dialog->login);
    dialog->login->ProcessWindowEvent(chosen);
}

// Fills in the other provider at endpoint (its /authorize and /token),
// signs in and waits for the browser; the dialog's words afterwards.
inline std::string SignInWithOtherProvider(MailServerDialog* dialog, const std::string& server,
                                           const std::string& user, const std::string& endpoint)
{
    Choose(dialog, 3);
    dialog->server->SetValue(wxString::FromUTF8(server));
    dialog->user->SetValue(wxString::FromUTF8(user));
    dialog->authorizeUrl->SetValue(wxString::FromUTF8(endpoint + "/authorize"));
    dialog->tokenUrl->SetValue(wxString::FromUTF8(endpoint + "/token"));
    dialog->scope->SetValue("mail offline_access");
    dialog->clientId->SetValue("vantrel-test");
    Click(dialog, dialog->signIn);
    // The browser's own pace; the sign-in gives up after its 5 minutes.
    while (dialog->SigningIn())
        PumpEvents(50);
    return dialog->signedIn->GetLabel().utf8_string();
}
