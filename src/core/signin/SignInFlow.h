#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/Result.h"
#include "core/mail/SmtpTransport.h"
#include "core/signin/SignInProvider.h"

// The whole sign-in of a window's Sign In or of vantrel-cli login.
struct SignInRequest {
    std::string server;
    std::string user;
    SignInProvider provider = SignInProvider::Other;
    OAuthEndpoints endpoints;  // with the client registration (ReadClientRegistration)
};

enum class SignInEnd {
    SignedIn,
    Refused,  // the browser came back with an error or a foreign state, or the provider refused the code
    NoKeyring,  // nothing was begun: the token could not be kept
    Failed,  // cancelled, timed out, or no answer that made sense
};
struct SignInResult {
    SignInEnd end = SignInEnd::Failed;
    std::string problem;  // the user's words for why, when not SignedIn
};

// What is wrong with the request before anything is begun, or empty.
std::string SignInRequestProblem(const SignInRequest& request);

// Checks that a keyring answers, opens the redirect listener and hands
// the authorization URL to showUrl (to print, to open in the browser),
// waits for the browser at most kSignInWait (keepWaiting, asked several
// times a second, cancels with false), exchanges the code, keeps the
// refresh token in the keyring and remembers in the user's settings that
// server and user sign in with this provider. Nothing is kept unless all
// of it worked.
SignInResult SignInWithBrowser(const SignInRequest& request,
                               const std::function<void(const std::string& url)>& showUrl,
                               const std::function<bool()>& keepWaiting = {});

// Removes the refresh token and the remembered sign-in: CannotOpen when no
// keyring answers, CannotWrite when the settings cannot be written.
Result<> SignOut(const std::string& server, const std::string& user);

// Whether server and user sign in with a provider, and a token is kept.
// Missing when they log in with a password, CannotOpen when no keyring
// answers.
Result<RememberedSignIn> SignedIn(const std::string& server, const std::string& user);

// The access tokens for sending as server and user: null with no problem
// when they log in with a password. With a problem nothing may be sent
// (signInAgain: the provider refused, or no token is kept). The first
// token is fetched here, so that a refused sign-in stops a run before it
// begins.
struct SendingTokens {
    std::shared_ptr<AccessTokenSource> source;
    std::string problem;
    bool signInAgain = false;
    bool noKeyring = false;
    bool badSettings = false;  // no client ID, or endpoints missing
};
SendingTokens TokensForSending(const std::string& server, const std::string& user);

// The words for "no keyring answers".
inline constexpr const char* kNoKeyringText = "no keyring answers (is a desktop session running?)";
