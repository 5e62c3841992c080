// Which refusals say that the address itself is dead.
#include <gtest/gtest.h>

#include "core/mail/Refusals.h"

namespace {

TEST(DeadAddress, OnlyAnUnknownAddressIsDead)
{
    struct Case {
        const char* status;
        const char* words;
        bool dead;
    };
    const Case cases[] = {
        {"", "550 5.1.1 <a@x.org>: no such user here", true},
        {"", "550-5.1.1 The email account that you tried to reach does not exist.", true},
        {"", "550 5.1.10 RESOLVER.ADR.RecipientNotFound; Recipient not found by SMTP address lookup", true},
        {"", "553 5.1.3 Bad recipient address syntax", true},
        {"", "550 5.1.2 Host unknown", true},
        {"", "550 5.1.6 Recipient no longer on server", true},
        {"", "550 5.1.4 Ambiguous destination mailbox", false},
        {"", "550 5.1.7 Bad sender's mailbox address syntax", false},
        {"", "550 User unknown", true},
        {"", "550 Requested action not taken: mailbox unavailable", false},
        {"", "551 No Such User Here", true},
        {"", "550 5.0.0 <a@x.org>... User unknown", true},
        {"", "550 5.7.1 <a@x.org>: Recipient address rejected: Access denied; user unknown", false},
        {"", "554 5.7.1 Service unavailable; Client host blocked using zen.spamhaus.org", false},
        {"", "550 5.7.26 This message does not have authentication information", false},
        {"", "552 5.2.2 Mailbox full", false},
        {"", "450 4.1.1 <a@x.org>: Recipient address rejected: unverified address: user unknown", false},
        {"", "451 4.3.0 try again later", false},
        {"", "user unknown", false},
        {"", "", false},
        {"5.1.1", "smtp; 550 rejected", true},
        {"5.7.1", "smtp; 550 5.1.1 user unknown", false},
        {"4.1.1", "smtp; 550 user unknown", false},
        {"5.0.0", "smtp; 550 no such mailbox", true},
        {"not a status", "550 5.1.1 unknown", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsDeadAddress(c.status, c.words), c.dead) << c.status << " " << c.words;
}

}  // namespace
