// The ledger of a send: where it lies and what a crash leaves.
#include <gtest/gtest.h>

#include "TempHome.h"
#include "core/mail/SendLedger.h"

namespace {

TEST(SendLedgerTest, OneFilePerReleaseBelowTheStateFolder)
{
    TempHome home;
    const std::string id = ReleaseLedgerId("Ann <ann@x.org>", "Press release from Tarsel", "Body\n");
    EXPECT_EQ(LedgerPath(id), home.home() + "/.local/state/vantrel/" + id + ".ledger");
    setenv("XDG_STATE_HOME", "relative/state", 1);
    EXPECT_EQ(LedgerPath(id), home.home() + "/.local/state/vantrel/" + id + ".ledger");
    setenv("XDG_STATE_HOME", (home.sandbox() + "/state").c_str(), 1);
    EXPECT_EQ(LedgerPath(id), home.sandbox() + "/state/vantrel/" + id + ".ledger");
    unsetenv("XDG_STATE_HOME");

    const std::string others[] = {
        ReleaseLedgerId("Ann <ann@x.org>", "Press release from Tarsel", "Body\n\n"),
        ReleaseLedgerId("Ann <ann@y.org>", "Press release from Tarsel", "Body\n"),
        ReleaseLedgerId("Ann <ann@x.org>", "Press release from Tarse", "lBody\n"),
        ReleaseLedgerId("", "", ""),
    };
    for (const std::string& other : others) {
        EXPECT_NE(other, id);
        EXPECT_EQ(other.size(), 32u);
    }
}

TEST(SendLedgerTest, WhatWasRecordedSurvivesAndACutLineCountsForNothing)
{
    TempHome home;
    const std::string path = home.sandbox() + "/state/vantrel/r.ledger";
    {
        Result<SendLedger> ledger = SendLedger::Open(path);
        ASSERT_TRUE(ledger);
        EXPECT_EQ(ledger->SentCount(), 0u);
        ASSERT_TRUE(ledger->Record("a@x.org", LedgerOutcome::Sent, "250 queued\r\nas 1"));
        ASSERT_TRUE(ledger->Record("b@x.org", LedgerOutcome::Refused, "550\tno such user"));
    }
    EXPECT_EQ(ReadFileBytes(path), "sent\ta@x.org\t250 queued  as 1\nrefused\tb@x.org\t550 no such user\n");
    // A crash in the middle of a line.
    WriteFileBytes(path, ReadFileBytes(path) + "sent\tc@x.o");
    {
        Result<SendLedger> ledger = SendLedger::Open(path);
        ASSERT_TRUE(ledger);
        EXPECT_TRUE(ledger->HasSent("A@X.ORG"));
        EXPECT_FALSE(ledger->HasSent("b@x.org")) << "a refused receiver is tried again";
        EXPECT_FALSE(ledger->HasSent("c@x.o"));
        EXPECT_FALSE(ledger->HasSent("c@x.org"));
        ASSERT_TRUE(ledger->Record("c@x.org", LedgerOutcome::Sent, "250"));
    }
    Result<SendLedger> reopened = SendLedger::Open(path);
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->HasSent("c@x.org"));
    EXPECT_EQ(reopened->SentCount(), 2u);
}

}  // namespace
