// Signing in to the mail server with OAuth 2.0: PKCE, the authorization
// URL, what comes back to the redirect, the token endpoint's JSON and when
// a token is renewed.
#include <gtest/gtest.h>

#include <thread>

#include "LocalHttpServer.h"
#include "LocalSockets.h"
#include "ResultTesting.h"
#include "core/signin/AuthorizationRequest.h"
#include "core/signin/RedirectListener.h"
#include "core/signin/TokenEndpoint.h"
#include "core/signin/TokenSource.h"

namespace {

TEST(SignInTest, ChallengeIsBase64UrlOfTheVerifiersSha256)
{
    struct Case {
        std::string verifier;
        std::string challenge;
    };
    const Case cases[] = {
        // RFC 7636, appendix B
        {"dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk", "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"},
        {"", "47DEQpj8HBSa-_TImW-5JCeuQeRkm5NMpJWZG3hSuFU"},  // SHA-256 of nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verifier);
        EXPECT_EQ(ValueOf(ChallengeOf(c.verifier)), c.challenge);
    }
    for (const auto& [bytes, text] : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"f", "Zg"}, {"fo", "Zm8"}, {"foo", "Zm9v"}, {"\xfb\xff\xfe", "-__-"}})
        EXPECT_EQ(Base64Url(bytes), text);

    const Result<Pkce> first = MakePkce(), second = MakePkce();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->verifier.size(), 43u);
    EXPECT_NE(first->verifier, second->verifier);
    EXPECT_EQ(ValueOf(ChallengeOf(first->verifier)), first->challenge);
}

TEST(SignInTest, AuthorizationUrlCarriesTheCodeFlowWithPkce)
{
    OAuthEndpoints endpoints = PresetOf(SignInProvider::Microsoft).endpoints;
    endpoints.clientId = "c1 d";
    EXPECT_EQ(
        AuthorizationUrl(endpoints, "http://127.0.0.1:5000/", "s+t", "ch"),
        "https://login.microsoftonline.com/common/oauth2/v2.0/authorize?response_type=code&client_id=c1%20d"
        "&redirect_uri=http%3A%2F%2F127.0.0.1%3A5000%2F&scope=https%3A%2F%2Foutlook.office.com%2FSMTP.Send"
        "%20offline_access&state=s%2Bt&code_challenge=ch&code_challenge_method=S256");
    endpoints.authorizeUrl = "http://127.0.0.1:1/auth?tenant=x";
    EXPECT_EQ(AuthorizationUrl(endpoints, "r", "s", "c").substr(0, 50),
              "http://127.0.0.1:1/auth?tenant=x&response_type=cod");
}

TEST(SignInTest, OnlyTheRedirectWithOurStateAndACodeIsTaken)
{
    struct Case {
        const char* target;
        const char* code;  // empty: refused
        const char* problemBegins;
    };
    const Case cases[] = {
        {"/?code=abc&state=S1", "abc", ""},
        {"/?state=S1&code=a%2Fb+c", "a/b c", ""},
        {"/?code=abc&state=S2", "", "the answer to the sign-in is not the one"},
        {"/?code=abc&state=S1x", "", "the answer to the sign-in is not the one"},
        {"/?code=abc", "", "the answer to the sign-in is not the one"},
        {"/?code=abc&state=S2&state=S1", "", "the answer to the sign-in is not the one"},
        {"/?error=access_denied&error_description=no+thanks&state=S1", "",
         "the provider refused the sign-in: access_denied (no thanks)"},
        {"/?code=abc&error=server_error&state=S1", "", "the provider refused the sign-in: server_error"},
        {"/?state=S1", "", "the provider's answer holds no authorization code"},
        {"/", "", "the answer to the sign-in is not the one"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const RedirectOutcome outcome = ReadRedirect(c.target, "S1");
        EXPECT_EQ(outcome.code, c.code);
        EXPECT_EQ(outcome.problem.substr(0, std::string(c.problemBegins).size()), c.problemBegins);
    }
    EXPECT_FALSE(ReadRedirect("/?code=abc&state=", "").problem.empty());
    for (const auto& [head, target] : std::vector<std::pair<std::string, std::string>>{
             {"GET /?code=1 HTTP/1.1\r\nHost: x\r\n\r\n", "/?code=1"},
             {"POST /?code=1 HTTP/1.1\r\n\r\n", ""},
             {"GET /?code=1\r\n\r\n", ""},
             {"", ""}})
        EXPECT_EQ(RequestTarget(head), target);
}

// What a browser does: one request, the page it got back.
std::string Fetch(int port, const std::string& request)
{
    const LocalSocket socket = ConnectLoopback(port);
    std::string page;
    if (socket != kNoSocket && SendAll(socket, request.data(), request.size())) {
        char buffer[4096];
        for (long got; WaitReadable(socket, 10000) && (got = ReceiveSome(socket, buffer, sizeof buffer)) > 0;)
            page.append(buffer, static_cast<std::size_t>(got));
    } else {
        page = "refused";
    }
    if (socket != kNoSocket)
        CloseSocket(socket);
    return page.substr(0, page.find("\r\n"));
}

TEST(SignInTest, RedirectListenerTakesOneRequestToTheRootAndThenNoMore)
{
    struct Case {
        std::vector<std::string> requests;
        std::vector<std::string> pages;
        std::string code;
        std::string problem;
    };
    const Case cases[] = {
        {{"GET /favicon.ico HTTP/1.1\r\n\r\n", "GET /?code=c7&state=S1 HTTP/1.1\r\n\r\n",
          "GET /?code=c8&state=S1 HTTP/1.1\r\n\r\n"},
         {"HTTP/1.1 404 Not Found", "HTTP/1.1 200 OK", "refused"},
         "c7",
         ""},
        {{"GET /?code=c7&state=S2 HTTP/1.1\r\n\r\n", "GET /?code=c7&state=S1 HTTP/1.1\r\n\r\n"},
         {"HTTP/1.1 400 Bad Request", "refused"},
         "",
         "the answer to the sign-in is not the one this sign-in asked for (its state differs)"},
    };
    for (const Case& c : cases) {
        RedirectListener listener;
        ASSERT_TRUE(listener.Open());
        const std::string uri = listener.RedirectUri();
        ASSERT_EQ(uri.substr(0, 17), "http://127.0.0.1:");
        const int port = std::stoi(uri.substr(17));
        std::vector<std::string> pages;
        std::thread browser([&] {
            for (const std::string& request : c.requests)
                pages.push_back(Fetch(port, request));
        });
        const RedirectOutcome outcome = listener.Wait("S1", std::chrono::minutes(1));
        browser.join();
        EXPECT_EQ(outcome.code, c.code);
        EXPECT_EQ(outcome.problem, c.problem);
        EXPECT_EQ(pages, c.pages);
    }
    RedirectListener cancelled;
    ASSERT_TRUE(cancelled.Open());
    EXPECT_EQ(cancelled.Wait("S1", std::chrono::minutes(1), [] { return false; }).problem,
              "the sign-in was cancelled");
}

TEST(SignInTest, TokenReplyIsReadAsJsonOrRefused)
{
    struct Case {
        std::string body;
        std::optional<Failure> failure;
        std::string accessToken;
        long long expiresIn;
        std::string refreshToken;
        std::string error;
    };
    const Case cases[] = {
        {R"({"access_token":"a1","token_type":"Bearer","expires_in":3599,"refresh_token":"r1"})",
         std::nullopt, "a1", 3599, "r1", ""},
        {R"({"access_token":"a1","expires_in":"3600"})", std::nullopt, "a1", 3600, "", ""},
        {R"({"error":"invalid_grant","error_description":"revoked"})", std::nullopt, "", 0, "",
         "invalid_grant"},
        {R"({"access_token":"a1","refresh_token":null})", std::nullopt, "a1", 0, "", ""},
        {R"({"access_token":7})", Failure::Damaged, "", 0, "", ""},
        {R"({"access_token":"a1","expires_in":-5})", Failure::Damaged, "", 0, "", ""},
        {R"({"access_token":"a1","expires_in":"soon"})", Failure::Damaged, "", 0, "", ""},
        {R"(["access_token","a1"])", Failure::Damaged, "", 0, "", ""},
        {R"({"access_token":"a1")", Failure::Damaged, "", 0, "", ""},
        {"<html>502 Bad Gateway</html>", Failure::Damaged, "", 0, "", ""},
        {"", Failure::Damaged, "", 0, "", ""},
        {std::string(100000, '['), Failure::TooLarge, "", 0, "", ""},
        {"{\"access_token\":\"" + std::string(65537 - 19, 'a') + "\"}", Failure::TooLarge, "", 0, "", ""},
        {"{\"access_token\":\"" + std::string(65536 - 19, 'a') + "\"}", std::nullopt,
         std::string(65536 - 19, 'a'), 0, "", ""},
        {std::string(30000, '[') + std::string(30000, ']'), Failure::Damaged, "", 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 60));
        const Result<TokenReply> reply = ReadTokenReply(c.body);
        EXPECT_EQ(FailureOf(reply), c.failure);
        if (!reply)
            continue;
        EXPECT_EQ(reply->accessToken, c.accessToken);
        EXPECT_EQ(reply->expiresIn, c.expiresIn);
        EXPECT_EQ(reply->refreshToken, c.refreshToken);
        EXPECT_EQ(reply->error, c.error);
    }
    for (const auto& [url, problem] : std::vector<std::pair<std::string, std::string>>{
             {"https://oauth2.googleapis.com/token", ""},
             {"http://127.0.0.1:8080/token", ""},
             {"http://localhost/token", ""},
             {"http://oauth2.googleapis.com/token",
              "the token URL begins with https:// (http only to this machine)"},
             {"http://127.0.0.1@evil.example/token", "the token URL holds a user name"},
             {"ftp://127.0.0.1/token", "the token URL begins with https://"}})
        EXPECT_EQ(TokenUrlProblem(url), problem) << url;
}

TEST(SignInTest, TokenEndpointGrantsRefusesOrFails)
{
    LocalHttpServer server;
    const auto answer = [&server](const char* path, int status, const std::string& body,
                                  std::int64_t filler = 0) {
        LocalHttpServer::Route route;
        route.status = status;
        route.body = body;
        route.bodySize = filler;
        server.Serve(path, route);
    };
    answer("/ok", 200, R"({"access_token":"a9","expires_in":60})");
    answer("/revoked", 400, R"({"error":"invalid_grant","error_description":"revoked"})");
    answer("/busy", 503, R"({"error":"temporarily_unavailable"})");
    answer("/huge", 200, "", 70000);
    answer("/html", 502, "<html>Bad Gateway</html>");
    server.ServeRedirect("/moved", server.Url("/ok"));
    struct Case {
        std::string url;
        TokenResult result;
        std::string problem;
    };
    const Case cases[] = {
        {server.Url("/ok"), TokenResult::Granted, ""},
        {server.Url("/revoked"), TokenResult::Refused, "the provider refused: invalid_grant (revoked)"},
        {server.Url("/busy"), TokenResult::Failed, "the provider refused: temporarily_unavailable"},
        {server.Url("/huge"), TokenResult::Failed, "the token endpoint's answer is too large"},
        {server.Url("/html"), TokenResult::Failed,
         "the token endpoint's answer (HTTP 502) is not the JSON of tokens"},
        {server.Url("/moved"), TokenResult::Failed,
         "the token endpoint's answer (HTTP 302) is not the JSON of tokens"},
        {"http://198.51.100.7/token", TokenResult::Failed,
         "the token URL begins with https:// (http only to this machine)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        OAuthEndpoints endpoints;
        endpoints.tokenUrl = c.url;
        endpoints.clientId = "c";
        const TokenOutcome outcome = RefreshAccessToken(endpoints, "r1");
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.problem, c.problem);
        EXPECT_EQ(outcome.reply.accessToken, c.result == TokenResult::Granted ? "a9" : "");
    }
}

TEST(SignInTest, AccessTokenIsRenewedAheadOfItsEndAndAfterARefusal)
{
    using namespace std::chrono;
    struct Step {
        seconds at;  // since the start
        bool renew;
        std::string token;  // what the source hands out
        bool signInAgain;
    };
    struct Case {
        long long lifetime;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {3600,
         {{0s, false, "a1", false},
          {3539s, false, "a1", false},
          {3540s, false, "a2", false},
          {3541s, true, "a3", false}}},
        {8, {{0s, false, "a1", false}, {5s, false, "a1", false}, {6s, false, "a2", false}}},
        {0, {{0s, false, "a1", false}, {3539s, false, "a1", false}, {3540s, false, "a2", false}}},
        // the provider revoked the refresh token before the fourth grant
        {8,
         {{0s, false, "a1", false},
          {7s, false, "a2", false},
          {8s, true, "a3", false},
          {9s, true, "", true},
          {20s, true, "", true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lifetime);
        steady_clock::time_point now{};
        int grants = 0;
        std::vector<std::string> askedWith, kept;
        RefreshingTokenSource source(
            "r0",
            [&](const std::string& refreshToken) {
                askedWith.push_back(refreshToken);
                if (++grants == 4)
                    return TokenOutcome{TokenResult::Refused, {}, "the provider refused: invalid_grant"};
                TokenReply reply{"a" + std::to_string(grants), c.lifetime, "r" + std::to_string(grants), "",
                                 ""};
                return TokenOutcome{TokenResult::Granted, reply, ""};
            },
            [&](const std::string& refreshToken) { kept.push_back(refreshToken); }, [&] { return now; });
        for (const Step& step : c.steps) {
            SCOPED_TRACE(step.at.count());
            now = steady_clock::time_point{} + step.at;
            const BearerToken token = source.Token(step.renew);
            EXPECT_EQ(token.token, step.token);
            EXPECT_EQ(token.signInAgain, step.signInAgain);
            EXPECT_EQ(token.problem.empty(), !step.signInAgain);
        }
        // Each grant's rotated refresh token is used for the next and kept.
        for (std::size_t i = 0; i < askedWith.size(); ++i)
            EXPECT_EQ(askedWith[i], "r" + std::to_string(i));
        EXPECT_EQ(kept.size(), std::min<std::size_t>(askedWith.size(), 3));
    }
}

}  // namespace
