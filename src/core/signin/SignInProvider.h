#pragma once

#include <optional>
#include <string>

#include "core/Result.h"

// Who the user signs in with, and where.
enum class SignInProvider { Microsoft, Google, Other };

struct OAuthEndpoints {
    std::string authorizeUrl;
    std::string tokenUrl;
    std::string scope;
    std::string clientId;
    std::string clientSecret;  // Google's installed apps have one; it is no secret
};

// A provider's mail server and endpoints; Other has neither.
struct ProviderPreset {
    std::string server;
    OAuthEndpoints endpoints;
};
ProviderPreset PresetOf(SignInProvider provider);

// "microsoft", "google", "other", as the command line and the settings
// name them.
std::string ProviderName(SignInProvider provider);
std::optional<SignInProvider> ProviderNamed(const std::string& name);

// The client ID (and secret) registered for this program with the
// provider, from the user's settings or the installation's, where an
// organisation puts them once: MicrosoftOAuthClientId, GoogleOAuthClientId
// and GoogleOAuthClientSecret, OtherOAuthClientId and OtherOAuthClientSecret.
std::string ClientIdSetting(SignInProvider provider);
std::string ClientSecretSetting(SignInProvider provider);
void ReadClientRegistration(SignInProvider provider, OAuthEndpoints& endpoints);

// What is missing before a sign-in can start, or empty.
std::string EndpointsProblem(SignInProvider provider, const OAuthEndpoints& endpoints);

// The sign-in remembered in the user's settings for one server and user:
// the provider and its endpoints, never a token.
struct RememberedSignIn {
    std::string server;
    std::string user;
    SignInProvider provider = SignInProvider::Other;
    OAuthEndpoints endpoints;  // with the client ID, never the client secret
};
Result<> RememberSignIn(const RememberedSignIn& signIn);
// Missing when server and user sign in with a password.
Result<RememberedSignIn> RememberedSignInFor(const std::string& server, const std::string& user);
Result<> ForgetSignIn();
