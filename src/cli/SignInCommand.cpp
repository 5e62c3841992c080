#include "cli/SignInCommand.h"

#include <cstdlib>
#include <ostream>

#include "cli/BrowserLaunch.h"
#include "cli/CliCommands.h"
#include "core/mail/MailSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/signin/AuthorizationRequest.h"
#include "core/signin/Keyring.h"
#include "core/signin/RedirectListener.h"
#include "core/signin/TokenEndpoint.h"
#include "core/signin/TokenSource.h"

namespace {

int Problem(std::ostream& err, int status, const std::string& message)
{
    err << "vantrel-cli: " << message << '\n';
    return status;
}

std::string NoKeyringText()
{
    return "no keyring answers (is a desktop session running?); give the token in VANTREL_SMTP_TOKEN, "
           "or log in with a password";
}

// The provider: the option's, else the one this server and user signed in
// with before.
bool ChooseProvider(const CliRequest& request, const std::string& server, const std::string& user,
                    SignInProvider& provider, OAuthEndpoints& endpoints)
{
    const Result<RememberedSignIn> remembered = RememberedSignInFor(server, user);
    if (request.provider)
        provider = *ProviderNamed(*request.provider);
    else if (remembered)
        provider = remembered->provider;
    else
        return false;
    endpoints = PresetOf(provider).endpoints;
    const bool again = remembered && remembered->provider == provider;
    if (again && provider == SignInProvider::Other)
        endpoints = remembered->endpoints;
    endpoints.authorizeUrl = request.authorizeUrl.value_or(endpoints.authorizeUrl);
    endpoints.tokenUrl = request.tokenUrl.value_or(endpoints.tokenUrl);
    endpoints.scope = request.scope.value_or(endpoints.scope);
    endpoints.clientId = request.clientId.value_or(again ? remembered->endpoints.clientId : "");
    endpoints.clientSecret.clear();
    ReadClientRegistration(provider, endpoints);
    return true;
}

}  // namespace

int Login(const CliRequest& request, std::ostream& out, std::ostream& err)
{
    const MailSettings settings = ReadMailSettings();
    const std::optional<SignInProvider> named =
        request.provider ? ProviderNamed(*request.provider) : std::nullopt;
    std::string server = request.server.value_or("");
    if (server.empty())
        server = named ? PresetOf(*named).server : "";
    if (server.empty())
        server = settings.server;
    const std::string user = request.user.value_or(settings.user);
    if (server.empty())
        return Problem(err, kCliUsage, "no mail server: give --server=URL or --provider=microsoft|google");
    if (const ServerSecurity security = ServerUrlSecurity(server); !security.problem.empty())
        return Problem(err, kCliUsage, security.problem);
    if (user.empty())
        return Problem(err, kCliUsage, "the sign-in needs the user name: give --user=NAME");
    if (const std::string problem = MailUserProblem(server, user); !problem.empty())
        return Problem(err, kCliUsage, problem);
    SignInProvider provider = SignInProvider::Other;
    OAuthEndpoints endpoints;
    if (!ChooseProvider(request, server, user, provider, endpoints))
        return Problem(err, kCliUsage, "say whom to sign in with: --provider=microsoft, google or other");
    if (const std::string problem = EndpointsProblem(provider, endpoints); !problem.empty())
        return Problem(err, kCliUsage, problem);
    if (const std::string problem = TokenUrlProblem(endpoints.tokenUrl); !problem.empty())
        return Problem(err, kCliUsage, problem);
    // A sign-in that cannot be kept is not begun.
    if (const Result<std::string> old = ReadSecret(SecretKind::RefreshToken, server, user);
        !old && old.failure() == Failure::CannotOpen)
        return Problem(err, kCliNotDelivered, NoKeyringText());

    const Result<Pkce> pkce = MakePkce();
    const Result<std::string> state = RandomState();
    if (!pkce || !state)
        return Problem(err, kCliFailed, "no secure random numbers or SHA-256 can be had (libcrypto)");
    RedirectListener listener;
    if (!listener.Open())
        return Problem(err, kCliFailed, "no port on 127.0.0.1 can be had for the browser's answer");
    const std::string url = AuthorizationUrl(endpoints, listener.RedirectUri(), *state, pkce->challenge);
    out << "Sign in with " << ProviderName(provider) << " as " << user << " in the browser at:\n"
        << url << std::endl;
    if (!request.noBrowser && !OpenInBrowser(url))
        err << "vantrel-cli: no browser could be opened; open the address above in one\n";
    err << "vantrel-cli: waiting for the browser (5 minutes at most)..." << std::endl;

    const RedirectOutcome redirect = listener.Wait(*state, kSignInWait);
    if (!redirect.problem.empty())
        return Problem(err, kCliNotDelivered, redirect.problem + "; nothing was kept");
    const TokenOutcome tokens =
        ExchangeCode(endpoints, redirect.code, listener.RedirectUri(), pkce->verifier);
    if (tokens.result != TokenResult::Granted)
        return Problem(err, kCliNotDelivered, tokens.problem + "; nothing was kept");
    if (tokens.reply.refreshToken.empty())
        return Problem(
            err, kCliNotDelivered,
            "the provider gave no refresh token (the scope may lack offline_access); nothing was kept");
    if (const Result<> stored =
            StoreSecret(SecretKind::RefreshToken, server, user, tokens.reply.refreshToken);
        !stored)
        return Problem(err, kCliNotDelivered,
                       stored.failure() == Failure::CannotOpen ? NoKeyringText()
                                                               : "the keyring refused to keep the sign-in");
    RememberedSignIn remembered{server, user, provider, endpoints};
    // A refresh token is bound to the client it was given to, whatever
    // the settings say later.
    remembered.endpoints.clientSecret.clear();
    MailSettings updated = settings;
    updated.server = server;
    updated.user = user;
    if (!RememberSignIn(remembered) || !WriteMailSettings(updated))
        return Problem(err, kCliNotDelivered,
                       "the settings file " + SettingsFilePath(kSettingsKeyPath) + " cannot be written");
    err << "vantrel-cli: signed in as " << user << " at " << server << '\n';
    return kCliDone;
}

int Logout(const CliRequest& request, std::ostream& err)
{
    const MailSettings settings = ReadMailSettings();
    const std::string server = request.server.value_or(settings.server);
    const std::string user = request.user.value_or(settings.user);
    if (server.empty() || user.empty())
        return Problem(err, kCliUsage, "say whose sign-in to forget: --server=URL --user=NAME");
    if (!ForgetSecret(SecretKind::RefreshToken, server, user))
        return Problem(err, kCliNotDelivered, "no keyring answers; the sign-in cannot be forgotten");
    if (RememberedSignInFor(server, user) && !ForgetSignIn())
        return Problem(err, kCliNotDelivered,
                       "the settings file " + SettingsFilePath(kSettingsKeyPath) + " cannot be written");
    err << "vantrel-cli: signed out " << user << " at " << server << '\n';
    return kCliDone;
}

SignInTokens TokensFor(const std::string& server, const std::string& user)
{
    if (user.empty())
        return {};
    if (const char* token = std::getenv("VANTREL_SMTP_TOKEN"); token && *token)
        return {std::make_shared<FixedTokenSource>(token), "", kCliDone};
    const Result<RememberedSignIn> remembered = RememberedSignInFor(server, user);
    if (!remembered)
        return {};
    OAuthEndpoints endpoints = remembered->endpoints;
    ReadClientRegistration(remembered->provider, endpoints);
    if (const std::string problem = EndpointsProblem(remembered->provider, endpoints); !problem.empty())
        return {nullptr, problem, kCliUsage};
    const Result<std::string> refreshToken = ReadSecret(SecretKind::RefreshToken, server, user);
    if (!refreshToken && refreshToken.failure() == Failure::CannotOpen)
        return {nullptr, NoKeyringText(), kCliNotDelivered};
    if (!refreshToken)
        return {nullptr, "no sign-in is kept for " + user + "; sign in again (vantrel-cli login)",
                kCliNotDelivered};
    auto source = std::make_shared<RefreshingTokenSource>(
        *refreshToken, [endpoints](const std::string& token) { return RefreshAccessToken(endpoints, token); },
        [server, user](const std::string& token) {
            // Failing to keep a rotated token costs a sign-in later, not this run.
            (void)StoreSecret(SecretKind::RefreshToken, server, user, token);
        });
    // Nothing is sent, nor a ledger opened, when the provider no longer
    // takes the sign-in.
    const BearerToken first = source->Token(false);
    if (!first.problem.empty())
        return {nullptr, first.problem + (first.signInAgain ? " (vantrel-cli login)" : ""), kCliNotDelivered};
    return {source, "", kCliDone};
}

std::string SignInAgainAdvice(const std::string& server, const std::string& user)
{
    return "sign in again: vantrel-cli login --server=" + server + " --user=" + user;
}
