#pragma once

#include <string>
#include <vector>

#include "core/Result.h"
#include "core/signin/SignInProvider.h"

// What a token endpoint answered (RFC 6749, section 5).
struct TokenReply {
    std::string accessToken;
    long long expiresIn = 0;  // seconds; 0 when not said
    std::string refreshToken;  // empty when the old one stays valid
    std::string error;
    std::string errorDescription;
};

// Larger answers are no token endpoint's.
inline constexpr std::size_t kMaxTokenReplyBytes = 64 * 1024;

// The JSON the endpoint sent: Damaged when it is not a JSON object or a
// field has the wrong type, TooLarge past kMaxTokenReplyBytes.
Result<TokenReply> ReadTokenReply(const std::string& body);

// How a request for tokens fared.
enum class TokenResult {
    Granted,
    Refused,  // the provider said no (the refresh token was revoked or ran out): sign in again
    Failed,  // it could not be asked, or its answer made no sense
};
struct TokenOutcome {
    TokenResult result = TokenResult::Failed;
    TokenReply reply;
    std::string problem;  // why, when not Granted
};

// Why the token URL cannot be used: https, or http to this machine only.
std::string TokenUrlProblem(const std::string& url);

// The code from the redirect exchanged for tokens, with the verifier.
TokenOutcome ExchangeCode(const OAuthEndpoints& endpoints, const std::string& code,
                          const std::string& redirectUri, const std::string& verifier);
// A new access token for a refresh token.
TokenOutcome RefreshAccessToken(const OAuthEndpoints& endpoints, const std::string& refreshToken);
