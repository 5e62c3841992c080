// What a refusal says of its receiver's address: the one rule of sending's
// refusals and of the reports read back.
#include <gtest/gtest.h>

#include "core/mail/Refusals.h"

namespace {

const char* Name(Refusal refusal)
{
    switch (refusal) {
    case Refusal::Delivered: return "delivered";
    case Refusal::DeadAddress: return "dead";
    case Refusal::Policy: return "policy";
    case Refusal::Temporary: return "temporary";
    }
    return "";
}

TEST(Refusals, OnlyAnUnknownAddressOrDomainIsDead)
{
    struct Case {
        const char* status;
        const char* words;
        const char* refusal;
    };
    const Case cases[] = {
        {"", "550 5.1.1 <a@x.org>: no such user here", "dead"},
        {"", "550-5.1.1 The email account that you tried to reach does not exist.", "dead"},
        {"", "550 5.1.10 RESOLVER.ADR.RecipientNotFound; Recipient not found by SMTP address lookup", "dead"},
        {"", "553 5.1.3 Bad recipient address syntax", "dead"},
        {"", "550 5.1.2 Host unknown", "dead"},
        {"", "550 5.1.6 Recipient no longer on server", "dead"},
        {"", "550 5.1.4 Ambiguous destination mailbox", "temporary"},
        {"", "550 5.1.7 Bad sender's mailbox address syntax", "policy"},
        {"", "550 User unknown", "dead"},
        {"", "550 Requested action not taken: mailbox unavailable", "temporary"},
        {"", "551 No Such User Here", "dead"},
        {"", "550 5.0.0 <a@x.org>... User unknown", "dead"},
        {"", "550 5.7.1 <a@x.org>: Recipient address rejected: Access denied; user unknown", "policy"},
        {"", "554 5.7.1 Service unavailable; Client host blocked using zen.spamhaus.org", "policy"},
        {"", "550 5.7.26 This message does not have authentication information", "policy"},
        {"", "552 5.2.2 Mailbox full", "temporary"},
        {"", "450 4.1.1 <a@x.org>: Recipient address rejected: unverified address: user unknown",
         "temporary"},
        {"", "451 4.3.0 try again later", "temporary"},
        {"", "250 2.0.0 queued", "delivered"},
        {"", "user unknown", "temporary"},
        {"", "", "temporary"},
        {"5.1.1", "smtp; 550 rejected", "dead"},
        {"5.7.1", "smtp; 550 5.1.1 user unknown", "policy"},
        {"4.1.1", "smtp; 550 user unknown", "temporary"},
        {"5.0.0", "smtp; 550 no such mailbox", "dead"},
        {"not a status", "550 5.1.1 unknown", "dead"},
        // The words outweigh a dead address's status that a server misused.
        {"5.1.1", "SMTP; 550 5.7.1 IP address blacklisted by recipient", "policy"},
        {"5.1.1", "SMTP; 550 5.1.1 User Unknown\nYour message was rejected: Not enough disk space",
         "temporary"},
        // Statuses that say too little: the words decide.
        {"5.2.1", "smtp; 550 5.2.1 <a@x.org>... User Unknown", "dead"},
        {"5.2.1", "smtp; 550 5.2.1 mailbox disabled", "temporary"},
        {"5.4.4", "X-Outbound-Mail-Relay; Host or domain name not found", "dead"},
        {"5.4.4", "X-Postfix; Name service error for name=x.org type=MX: Malformed name server reply",
         "temporary"},
        {"5.1.351", "smtp;550 5.1.351 Remote server returned unknown recipient", "dead"},
        {"5.1.0", "553 5.1.0 sender neko.example.com does not exist", "temporary"},
        {"5.0.0", "smtp; 550 <a@x.org>: Recipient address rejected.", "temporary"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(Name(ClassifyRefusal(c.status, c.words)), c.refusal) << c.status << " " << c.words;
}

TEST(Refusals, APolicyRefusalSaysWhatTheSenderMayLookAt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"550 5.7.26 Unauthenticated email is not accepted due to the sending domain's DMARC policy",
         "the sending domain's SPF, DKIM or DMARC"},
        {"554 5.7.1 Client host blocked using zen.spamhaus.org",
         "the sending server's reputation (a blocklist or its reverse DNS)"},
        {"550 5.7.1 Message rejected as spam by Content Filtering", "the message's content (taken for spam)"},
        {"550 5.7.0 Relaying denied", "the receiving server's policy"},
    };
    for (const auto& [words, hint] : cases)
        EXPECT_STREQ(PolicyHint("", words), hint) << words;
}

}  // namespace
