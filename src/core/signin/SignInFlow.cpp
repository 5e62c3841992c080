#include "core/signin/SignInFlow.h"

#include "core/signin/AuthorizationRequest.h"
#include "core/signin/Keyring.h"
#include "core/signin/RedirectListener.h"
#include "core/signin/TokenEndpoint.h"
#include "core/signin/TokenSource.h"

std::string SignInRequestProblem(const SignInRequest& request)
{
    if (const ServerSecurity security = ServerUrlSecurity(request.server); !security.problem.empty())
        return security.problem;
    if (request.user.empty())
        return "the sign-in needs the user name";
    if (const std::string problem = EndpointsProblem(request.provider, request.endpoints); !problem.empty())
        return problem;
    return TokenUrlProblem(request.endpoints.tokenUrl);
}

SignInResult SignInWithBrowser(const SignInRequest& request,
                               const std::function<void(const std::string& url)>& showUrl,
                               const std::function<bool()>& keepWaiting)
{
    if (const std::string problem = SignInRequestProblem(request); !problem.empty())
        return {SignInEnd::Failed, problem};
    // A sign-in that cannot be kept is not begun.
    if (const Result<std::string> old = ReadSecret(SecretKind::RefreshToken, request.server, request.user);
        !old && old.failure() == Failure::CannotOpen)
        return {SignInEnd::NoKeyring, kNoKeyringText};
    const Result<Pkce> pkce = MakePkce();
    const Result<std::string> state = RandomState();
    if (!pkce || !state)
        return {SignInEnd::Failed, "no secure random numbers or SHA-256 can be had"};
    RedirectListener listener;
    if (!listener.Open())
        return {SignInEnd::Failed, "no port on 127.0.0.1 can be had for the browser's answer"};
    showUrl(AuthorizationUrl(request.endpoints, listener.RedirectUri(), *state, pkce->challenge));

    const RedirectOutcome redirect = listener.Wait(*state, kSignInWait, keepWaiting);
    if (!redirect.problem.empty())
        return {redirect.refused ? SignInEnd::Refused : SignInEnd::Failed,
                redirect.problem + "; nothing was kept"};
    const TokenOutcome tokens =
        ExchangeCode(request.endpoints, redirect.code, listener.RedirectUri(), pkce->verifier);
    if (tokens.result != TokenResult::Granted)
        return {tokens.result == TokenResult::Refused ? SignInEnd::Refused : SignInEnd::Failed,
                tokens.problem + "; nothing was kept"};
    if (tokens.reply.refreshToken.empty())
        return {SignInEnd::Failed,
                "the provider gave no refresh token (the scope may lack offline_access); nothing was kept"};
    if (const Result<> stored =
            StoreSecret(SecretKind::RefreshToken, request.server, request.user, tokens.reply.refreshToken);
        !stored)
        return {stored.failure() == Failure::CannotOpen ? SignInEnd::NoKeyring : SignInEnd::Failed,
                stored.failure() == Failure::CannotOpen ? kNoKeyringText
                                                        : "the keyring refused to keep the sign-in"};
    // A refresh token is bound to the client it was given to, whatever the
    // settings say later; the client secret stays where it was.
    RememberedSignIn remembered{request.server, request.user, request.provider, request.endpoints};
    remembered.endpoints.clientSecret.clear();
    if (!RememberSignIn(remembered)) {
        (void)ForgetSecret(SecretKind::RefreshToken, request.server, request.user);
        return {SignInEnd::Failed, "the settings file cannot be written; nothing was kept"};
    }
    return {SignInEnd::SignedIn, ""};
}

Result<> SignOut(const std::string& server, const std::string& user)
{
    if (!ForgetSecret(SecretKind::RefreshToken, server, user))
        return Failure::CannotOpen;
    if (RememberedSignInFor(server, user) && !ForgetSignIn())
        return Failure::CannotWrite;
    return Done();
}

Result<RememberedSignIn> SignedIn(const std::string& server, const std::string& user)
{
    Result<RememberedSignIn> remembered = RememberedSignInFor(server, user);
    if (!remembered)
        return remembered;
    if (const Result<std::string> token = ReadSecret(SecretKind::RefreshToken, server, user); !token)
        return token.failure();
    return remembered;
}

SendingTokens TokensForSending(const std::string& server, const std::string& user)
{
    const Result<RememberedSignIn> remembered = RememberedSignInFor(server, user);
    if (!remembered)
        return {};
    OAuthEndpoints endpoints = remembered->endpoints;
    ReadClientRegistration(remembered->provider, endpoints);
    if (const std::string problem = EndpointsProblem(remembered->provider, endpoints); !problem.empty())
        return {nullptr, problem, false, false, true};
    const Result<std::string> refreshToken = ReadSecret(SecretKind::RefreshToken, server, user);
    if (!refreshToken && refreshToken.failure() == Failure::CannotOpen)
        return {nullptr, kNoKeyringText, false, true, false};
    if (!refreshToken)
        return {nullptr, "no sign-in is kept for " + user + "; sign in again", true, false, false};
    auto source = std::make_shared<RefreshingTokenSource>(
        *refreshToken, [endpoints](const std::string& token) { return RefreshAccessToken(endpoints, token); },
        [server, user](const std::string& token) {
            // Failing to keep a rotated token costs a sign-in later, not this run.
            (void)StoreSecret(SecretKind::RefreshToken, server, user, token);
        });
    const BearerToken first = source->Token(false);
    if (!first.problem.empty())
        return {nullptr, first.problem, first.signInAgain, false, false};
    return {source, "", false, false, false};
}
