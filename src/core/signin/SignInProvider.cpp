#include "core/signin/SignInProvider.h"

#include "core/settings/SettingsStore.h"

namespace {

constexpr const char* kSignInProviderSetting = "MailSignIn";
constexpr const char* kSignInServerSetting = "MailSignInServer";
constexpr const char* kSignInUserSetting = "MailSignInUser";
constexpr const char* kSignInAuthorizeSetting = "MailSignInAuthorizeUrl";
constexpr const char* kSignInTokenSetting = "MailSignInTokenUrl";
constexpr const char* kSignInScopeSetting = "MailSignInScope";
constexpr const char* kSignInClientIdSetting = "MailSignInClientId";

std::string SettingOr(const std::string& name, const std::string& fallback = "")
{
    const Result<std::string> value = ReadSetting(kSettingsKeyPath, name);
    return value ? *value : fallback;
}

std::string Capitalized(std::string name)
{
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
    return name;
}

}  // namespace

ProviderPreset PresetOf(SignInProvider provider)
{
    switch (provider) {
    case SignInProvider::Microsoft:
        return {"smtp://smtp.office365.com:587",
                {"https://login.microsoftonline.com/common/oauth2/v2.0/authorize",
                 "https://login.microsoftonline.com/common/oauth2/v2.0/token",
                 "https://outlook.office.com/SMTP.Send offline_access", "", ""}};
    case SignInProvider::Google:
        return {"smtps://smtp.gmail.com:465",
                {"https://accounts.google.com/o/oauth2/v2/auth", "https://oauth2.googleapis.com/token",
                 "https://mail.google.com/", "", ""}};
    case SignInProvider::Other: break;
    }
    return {};
}

std::string ProviderName(SignInProvider provider)
{
    switch (provider) {
    case SignInProvider::Microsoft: return "microsoft";
    case SignInProvider::Google: return "google";
    case SignInProvider::Other: break;
    }
    return "other";
}

std::optional<SignInProvider> ProviderNamed(const std::string& name)
{
    for (const SignInProvider provider :
         {SignInProvider::Microsoft, SignInProvider::Google, SignInProvider::Other})
        if (ProviderName(provider) == name)
            return provider;
    return std::nullopt;
}

std::string ClientIdSetting(SignInProvider provider)
{
    return Capitalized(ProviderName(provider)) + "OAuthClientId";
}

std::string ClientSecretSetting(SignInProvider provider)
{
    return Capitalized(ProviderName(provider)) + "OAuthClientSecret";
}

void ReadClientRegistration(SignInProvider provider, OAuthEndpoints& endpoints)
{
    if (endpoints.clientId.empty())
        endpoints.clientId = SettingOr(ClientIdSetting(provider));
    if (endpoints.clientSecret.empty())
        endpoints.clientSecret = SettingOr(ClientSecretSetting(provider));
}

std::string EndpointsProblem(SignInProvider provider, const OAuthEndpoints& endpoints)
{
    if (endpoints.authorizeUrl.empty() || endpoints.tokenUrl.empty() || endpoints.scope.empty())
        return "the provider's authorization URL, token URL and scope are needed";
    if (endpoints.clientId.empty())
        return "no client ID is registered for signing in with " + ProviderName(provider) + ": set " +
            ClientIdSetting(provider) + " in the settings (the installation's or the user's)";
    return {};
}

Result<> RememberSignIn(const RememberedSignIn& signIn)
{
    for (const auto& [name, value] :
         {std::pair<const char*, std::string>{kSignInServerSetting, signIn.server},
          {kSignInUserSetting, signIn.user},
          {kSignInAuthorizeSetting, signIn.endpoints.authorizeUrl},
          {kSignInTokenSetting, signIn.endpoints.tokenUrl},
          {kSignInScopeSetting, signIn.endpoints.scope},
          {kSignInClientIdSetting, signIn.endpoints.clientId},
          // Last: a half-written sign-in is no sign-in.
          {kSignInProviderSetting, ProviderName(signIn.provider)}})
        if (Result<> written = WriteSetting(kSettingsKeyPath, name, value); !written)
            return written;
    return Done();
}

Result<RememberedSignIn> RememberedSignInFor(const std::string& server, const std::string& user)
{
    const std::optional<SignInProvider> provider = ProviderNamed(SettingOr(kSignInProviderSetting));
    if (!provider || SettingOr(kSignInServerSetting) != server || SettingOr(kSignInUserSetting) != user ||
        server.empty() || user.empty())
        return Failure::Missing;
    RememberedSignIn signIn{server, user, *provider, {}};
    signIn.endpoints.authorizeUrl = SettingOr(kSignInAuthorizeSetting);
    signIn.endpoints.tokenUrl = SettingOr(kSignInTokenSetting);
    signIn.endpoints.scope = SettingOr(kSignInScopeSetting);
    signIn.endpoints.clientId = SettingOr(kSignInClientIdSetting);
    return signIn;
}

Result<> ForgetSignIn() { return WriteSetting(kSettingsKeyPath, kSignInProviderSetting, ""); }
