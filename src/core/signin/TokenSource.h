#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "core/mail/SmtpTransport.h"
#include "core/signin/TokenEndpoint.h"

// Access tokens from a refresh token: each is renewed a minute before it
// runs out (a quarter of its life when it lives less than four minutes),
// so that a long paced run changes tokens between two messages.
class RefreshingTokenSource : public AccessTokenSource {
public:
    using Refresh = std::function<TokenOutcome(const std::string& refreshToken)>;
    // Providers may hand out a new refresh token with each access token;
    // the old one may stop working, so the new one must be kept.
    using KeepRefreshToken = std::function<void(const std::string& refreshToken)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    RefreshingTokenSource(
        std::string refreshToken, Refresh refresh, KeepRefreshToken keep = {},
        Clock clock = [] { return std::chrono::steady_clock::now(); });
    ~RefreshingTokenSource() override;

    BearerToken Token(bool renew) override;
    // The provider refused the refresh token: only a new sign-in helps.
    bool Refused() const { return refused_.signInAgain; }

private:
    std::string refreshToken_;
    Refresh refresh_;
    KeepRefreshToken keep_;
    Clock clock_;
    std::string accessToken_;
    std::chrono::steady_clock::time_point renewAt_;
    BearerToken refused_;  // once the provider refused, it is not asked again
};

// A token obtained elsewhere (VANTREL_SMTP_TOKEN): used as it is, never renewed.
class FixedTokenSource : public AccessTokenSource {
public:
    explicit FixedTokenSource(std::string token) : token_(std::move(token)) {}
    BearerToken Token(bool renew) override;

private:
    std::string token_;
};

// The words for a refused refresh.
std::string SignInAgainText(const std::string& why);
