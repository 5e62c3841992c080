#include "core/signin/TokenSource.h"

#include <algorithm>

namespace {

// A token that says nothing of its life is taken to live an hour, as
// most do.
constexpr long long kUnsaidLifetime = 3600;
constexpr long long kRenewAhead = 60;

void Wipe(std::string& secret) { std::fill(secret.begin(), secret.end(), '\0'); }

}  // namespace

std::string SignInAgainText(const std::string& why)
{
    return "the sign-in is no longer valid (" + why + "); sign in again";
}

RefreshingTokenSource::RefreshingTokenSource(std::string refreshToken, Refresh refresh, KeepRefreshToken keep,
                                             Clock clock)
    : refreshToken_(std::move(refreshToken)), refresh_(std::move(refresh)), keep_(std::move(keep)),
      clock_(std::move(clock))
{
}

RefreshingTokenSource::~RefreshingTokenSource()
{
    Wipe(refreshToken_);
    Wipe(accessToken_);
}

BearerToken RefreshingTokenSource::Token(bool renew)
{
    if (refused_.signInAgain)
        return refused_;
    const auto now = clock_();
    if (!renew && !accessToken_.empty() && now < renewAt_)
        return {accessToken_, "", false};
    TokenOutcome outcome = refresh_(refreshToken_);
    if (outcome.result == TokenResult::Refused) {
        Wipe(accessToken_);
        accessToken_.clear();
        refused_ = {"", SignInAgainText(outcome.problem), true};
        return refused_;
    }
    if (outcome.result != TokenResult::Granted)
        return {"", outcome.problem, false};
    Wipe(accessToken_);
    accessToken_ = outcome.reply.accessToken;
    const long long lifetime = outcome.reply.expiresIn > 0 ? outcome.reply.expiresIn : kUnsaidLifetime;
    const auto life = std::chrono::milliseconds(lifetime * 1000);
    renewAt_ = now + life - std::min<std::chrono::milliseconds>(std::chrono::seconds(kRenewAhead), life / 4);
    if (!outcome.reply.refreshToken.empty() && outcome.reply.refreshToken != refreshToken_) {
        Wipe(refreshToken_);
        refreshToken_ = outcome.reply.refreshToken;
        if (keep_)
            keep_(refreshToken_);
    }
    Wipe(outcome.reply.accessToken);
    Wipe(outcome.reply.refreshToken);
    return {accessToken_, "", false};
}

BearerToken FixedTokenSource::Token(bool renew)
{
    if (renew)
        return {"", "the mail server refused the access token of VANTREL_SMTP_TOKEN", false};
    return {token_, "", false};
}
