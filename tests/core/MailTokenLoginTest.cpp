// Logging in to a real mail server (aiosmtpd) with OAuth 2.0 access tokens:
// a new token before each message when the source has one, one renewal
// after a refused login, and nothing more once the source has none.
#include <gtest/gtest.h>

#include <deque>

#include "LocalSmtpServer.h"
#include "TempHome.h"
#include "core/mail/SmtpTransport.h"

namespace {

// Hands out the tokens it was given, one per question; "" means the
// provider refused.
class ScriptedTokens : public AccessTokenSource {
public:
    explicit ScriptedTokens(std::deque<std::string> tokens) : tokens_(std::move(tokens)) {}

    BearerToken Token(bool renew) override
    {
        asked += renew ? "R" : "t";
        if (tokens_.empty() || tokens_.front().empty())
            return {"", "the sign-in is no longer valid", true};
        const std::string token = tokens_.front();
        if (tokens_.size() > 1)
            tokens_.pop_front();
        return {token, "", false};
    }

    std::string asked;  // t: asked, R: asked to renew

private:
    std::deque<std::string> tokens_;
};

TEST(MailTokenLoginTest, EachMessageGoesWithAValidTokenOrNotAtAll)
{
    struct Case {
        std::deque<std::string> tokens;
        std::vector<SendOutcome> outcomes;  // of three messages, the second to late@x.org
        std::string asked;
        std::string used;  // the tokens the server took, one line per message
        std::string script = "none@x.org=550";
    };
    const Case cases[] = {
        {{"good1"},
         {SendOutcome::Sent, SendOutcome::Sent, SendOutcome::Sent},
         "ttt",
         "good1\ngood1\ngood1\n"},
        // a token the server no longer takes, renewed once
        {{"stale", "good1"},
         {SendOutcome::Sent, SendOutcome::Sent, SendOutcome::Sent},
         "tRtt",
         "good1\ngood1\ngood1\n"},
        // renewed in the middle: a new login for the rest
        {{"good1", "good2"},
         {SendOutcome::Sent, SendOutcome::Sent, SendOutcome::Sent},
         "ttt",
         "good1\ngood2\ngood2\n"},
        // the renewal is refused as well: the message stays unsent
        {{"stale", "stale2", ""}, {SendOutcome::Stop, SendOutcome::Stop, SendOutcome::Stop}, "tRtt", ""},
        {{"good1", ""}, {SendOutcome::Sent, SendOutcome::Stop, SendOutcome::Stop}, "ttt", "good1\n"},
        // refused after its data went out: never sent again on a new token
        {{"good1", "good2"},
         {SendOutcome::Sent, SendOutcome::Stop, SendOutcome::Sent},
         "ttt",
         "good1\ngood2\ngood2\n",
         "late@x.org=535data"},
    };
    TempHome home;
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        const std::string folder = home.sandbox() + "/mail" + std::to_string(++number);
        WriteFileBytes(home.sandbox() + "/tokens", "good1 9999999999\ngood2 9999999999\n");
        LocalSmtpServer mail(folder, {"--oauth", home.sandbox() + "/tokens", "--script", c.script});
        auto tokens = std::make_shared<ScriptedTokens>(c.tokens);
        SmtpServer server;
        server.url = mail.Url();
        server.user = "ann@x.org";
        server.tokens = tokens;
        SmtpTransport transport(server);
        std::vector<SendOutcome> outcomes;
        for (const char* to :
             {"a@x.org", c.script == "late@x.org=535data" ? "late@x.org" : "b@x.org", "c@x.org"})
            outcomes.push_back(transport.Send("ann@x.org", to, "Subject: x\r\n\r\nbody\r\n").outcome);
        EXPECT_EQ(outcomes, c.outcomes);
        EXPECT_EQ(tokens->asked, c.asked);
        EXPECT_EQ(ReadFileBytes(folder + "/tokens-used"), c.used);
    }
}

}  // namespace
