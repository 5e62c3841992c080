// What the user types for sending: the sender as a mailbox, the pace.
#include <gtest/gtest.h>

#include "core/mail/MailSettings.h"
#include "core/receivers/MailAddresses.h"

namespace {

TEST(MailInputTest, SenderSplitsIntoNameAndAddress)
{
    struct Case {
        const char* typed;
        const char* name;
        const char* address;
    };
    const Case cases[] = {
        {"ann@x.org", "", "ann@x.org"},
        {"  ann@x.org  ", "", "ann@x.org"},
        {"Ann Lee <ann@x.org>", "Ann Lee", "ann@x.org"},
        {"  Ann Lee   <ann@x.org>", "Ann Lee", "ann@x.org"},
        {"\"Lee, Ann\" <ann@x.org>", "Lee, Ann", "ann@x.org"},
        {"\" <ann@x.org>", "\"", "ann@x.org"},
        {"<ann@x.org>", "", "ann@x.org"},
        {"Ann <ann@x.org", "", "Ann <ann@x.org"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const Mailbox mailbox = SplitMailbox(c.typed);
        EXPECT_EQ(mailbox.name, c.name);
        EXPECT_EQ(mailbox.address, c.address);
    }
}

TEST(MailInputTest, PaceIsAWholeNumberFromNoneTo6000)
{
    struct Case {
        const char* typed;
        bool taken;
        int perMinute;  // what it becomes; 7 when refused, as it was
    };
    const Case cases[] = {
        {"0", true, 0},     {"20", true, 20},    {"0020", true, 20}, {"6000", true, 6000},
        {"6001", false, 7}, {"00020", false, 7}, {"", false, 7},     {"-1", false, 7},
        {"1e3", false, 7},  {" 20", false, 7},   {"9999", false, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        int perMinute = 7;
        EXPECT_EQ(ParsePerMinute(c.typed, perMinute), c.taken);
        EXPECT_EQ(perMinute, c.perMinute);
    }
}

TEST(MailInputTest, TheUserGoesWithAServer)
{
    struct Case {
        const char* server;
        const char* user;
        const char* problem;
    };
    const Case cases[] = {
        {"smtps://mail.x.org", "ann", ""},
        {"", "", ""},
        {"", "smtps://mail.x.org", "the user name is a server's URL; give it as the server"},
        {"smtps://mail.x.org", "smtp://mail.x.org", "the user name is a server's URL; give it as the server"},
        {"", "ann", "a user name needs a server"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MailUserProblem(c.server, c.user), c.problem) << c.server << " " << c.user;
}

}  // namespace
