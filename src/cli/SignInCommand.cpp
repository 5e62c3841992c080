#include "cli/SignInCommand.h"

#include <cstdlib>
#include <ostream>

#include "cli/BrowserLaunch.h"
#include "cli/CliCommands.h"
#include "core/mail/MailSettings.h"
#include "core/signin/SignInFlow.h"
#include "core/signin/TokenSource.h"

namespace {

int Problem(std::ostream& err, int status, const std::string& message)
{
    err << "vantrel-cli: " << message << '\n';
    return status;
}

std::string NoKeyringAdvice()
{
    return std::string(kNoKeyringText) + "; give the token in VANTREL_SMTP_TOKEN, or log in with a password";
}

// The provider: the option's, else the one this server and user signed in
// with before. Options override what the sign-in remembered.
bool ChooseProvider(const CliRequest& request, SignInRequest& signIn)
{
    const Result<RememberedSignIn> remembered = RememberedSignInFor(signIn.server, signIn.user);
    if (request.provider)
        signIn.provider = *ProviderNamed(*request.provider);
    else if (remembered)
        signIn.provider = remembered->provider;
    else
        return false;
    OAuthEndpoints& endpoints = signIn.endpoints;
    endpoints = PresetOf(signIn.provider).endpoints;
    const bool again = remembered && remembered->provider == signIn.provider;
    if (again && signIn.provider == SignInProvider::Other)
        endpoints = remembered->endpoints;
    endpoints.authorizeUrl = request.authorizeUrl.value_or(endpoints.authorizeUrl);
    endpoints.tokenUrl = request.tokenUrl.value_or(endpoints.tokenUrl);
    endpoints.scope = request.scope.value_or(endpoints.scope);
    endpoints.clientId = request.clientId.value_or(again ? remembered->endpoints.clientId : "");
    endpoints.clientSecret.clear();
    ReadClientRegistration(signIn.provider, endpoints);
    return true;
}

}  // namespace

int Login(const CliRequest& request, std::ostream& out, std::ostream& err)
{
    const MailSettings settings = ReadMailSettings();
    SignInRequest signIn;
    signIn.server = request.server.value_or("");
    if (signIn.server.empty() && request.provider)
        signIn.server = PresetOf(*ProviderNamed(*request.provider)).server;
    if (signIn.server.empty())
        signIn.server = settings.server;
    signIn.user = request.user.value_or(settings.user);
    if (signIn.server.empty())
        return Problem(err, kCliUsage, "no mail server: give --server=URL or --provider=microsoft|google");
    if (signIn.user.empty())
        return Problem(err, kCliUsage, "the sign-in needs the user name: give --user=NAME");
    if (const std::string problem = MailUserProblem(signIn.server, signIn.user); !problem.empty())
        return Problem(err, kCliUsage, problem);
    if (!ChooseProvider(request, signIn))
        return Problem(err, kCliUsage, "say whom to sign in with: --provider=microsoft, google or other");
    if (const std::string problem = SignInRequestProblem(signIn); !problem.empty())
        return Problem(err, kCliUsage, problem);

    const SignInResult result = SignInWithBrowser(signIn, [&](const std::string& url) {
        out << "Sign in with " << ProviderName(signIn.provider) << " as " << signIn.user
            << " in the browser at:\n"
            << url << std::endl;
        if (!request.noBrowser && !OpenInBrowser(url))
            err << "vantrel-cli: no browser could be opened; open the address above in one\n";
        err << "vantrel-cli: waiting for the browser (5 minutes at most)..." << std::endl;
    });
    if (result.end == SignInEnd::NoKeyring)
        return Problem(err, kCliNotDelivered, NoKeyringAdvice());
    if (result.end != SignInEnd::SignedIn)
        return Problem(err, kCliNotDelivered, result.problem);
    MailSettings updated = settings;
    updated.server = signIn.server;
    updated.user = signIn.user;
    if (!WriteMailSettings(updated))
        return Problem(err, kCliNotDelivered, "the settings cannot be written");
    err << "vantrel-cli: signed in as " << signIn.user << " at " << signIn.server << '\n';
    return kCliDone;
}

int Logout(const CliRequest& request, std::ostream& err)
{
    const MailSettings settings = ReadMailSettings();
    const std::string server = request.server.value_or(settings.server);
    const std::string user = request.user.value_or(settings.user);
    if (server.empty() || user.empty())
        return Problem(err, kCliUsage, "say whose sign-in to forget: --server=URL --user=NAME");
    if (const Result<> out = SignOut(server, user); !out)
        return Problem(err, kCliNotDelivered,
                       out.failure() == Failure::CannotOpen
                           ? std::string(kNoKeyringText) + "; the sign-in cannot be forgotten"
                           : "the settings cannot be written");
    err << "vantrel-cli: signed out " << user << " at " << server << '\n';
    return kCliDone;
}

SignInTokens TokensFor(const std::string& server, const std::string& user)
{
    if (user.empty())
        return {};
    if (const char* token = std::getenv("VANTREL_SMTP_TOKEN"); token && *token)
        return {std::make_shared<FixedTokenSource>(token), "", kCliDone};
    SendingTokens tokens = TokensForSending(server, user);
    if (tokens.problem.empty())
        return {std::move(tokens.source), "", kCliDone};
    if (tokens.noKeyring)
        return {nullptr, NoKeyringAdvice(), kCliNotDelivered};
    return {nullptr, tokens.problem + (tokens.signInAgain ? " (vantrel-cli login)" : ""),
            tokens.badSettings ? kCliUsage : kCliNotDelivered};
}

std::string SignInAgainAdvice(const std::string& server, const std::string& user)
{
    return "sign in again: vantrel-cli login --server=" + server + " --user=" + user;
}
