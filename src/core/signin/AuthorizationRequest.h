#pragma once

#include <string>

#include "core/Result.h"
#include "core/signin/SignInProvider.h"

// base64url without padding (RFC 4648, section 5).
std::string Base64Url(const std::string& bytes);

// application/x-www-form-urlencoded, as a query or a POST body carries it.
std::string FormEncode(const std::string& text);
std::string FormDecode(const std::string& text);

// Proof Key for Code Exchange (RFC 7636), S256.
struct Pkce {
    std::string verifier;
    std::string challenge;
};
// The challenge of a verifier: base64url of its SHA-256.
Result<std::string> ChallengeOf(const std::string& verifier);
// A fresh verifier of 32 secure random bytes (43 characters) and its
// challenge; also used for the state.
Result<Pkce> MakePkce();
Result<std::string> RandomState();

// The URL the browser opens: the authorization code flow with PKCE.
std::string AuthorizationUrl(const OAuthEndpoints& endpoints, const std::string& redirectUri,
                             const std::string& state, const std::string& challenge);

// What the browser brought back to the redirect URI: the code, or why
// nothing may be exchanged (an error the provider sent, a state that is
// not ours, no code).
struct RedirectOutcome {
    std::string code;
    std::string problem;  // empty when code may be exchanged
    bool refused = false;  // the answer came, and was no sign-in of ours
};
RedirectOutcome ReadRedirect(const std::string& target, const std::string& expectedState);
