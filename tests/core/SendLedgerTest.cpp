// The ledger of a send: where it lies, what it remembers of each receiver
// and text, and what a crash, a second run or a planted link leave.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempHome.h"
#include "core/mail/ReleaseDelivery.h"
#include "core/mail/SendLedger.h"

namespace {

TEST(SendLedgerTest, OneFilePerReleaseBelowTheStateFolder)
{
    TempHome home;
    const std::string id = ReleaseLedgerId("ann@x.org", "Notely", "2.0");
    EXPECT_EQ(LedgerPath(id), home.home() + "/.local/state/vantrel/" + id + ".ledger");
    setenv("XDG_STATE_HOME", "relative/state", 1);
    EXPECT_EQ(LedgerPath(id), home.home() + "/.local/state/vantrel/" + id + ".ledger");
    setenv("XDG_STATE_HOME", (home.sandbox() + "/state").c_str(), 1);
    EXPECT_EQ(LedgerPath(id), home.sandbox() + "/state/vantrel/" + id + ".ledger");
    unsetenv("XDG_STATE_HOME");

    EXPECT_EQ(ReleaseLedgerId("Ann@X.org", "Notely", "2.0"), id) << "an address's case names nobody else";
    for (const std::string& other :
         {ReleaseLedgerId("ann@y.org", "Notely", "2.0"), ReleaseLedgerId("ann@x.org", "Notely", "2.1"),
          ReleaseLedgerId("ann@x.org", "Notely2", "."), ReleaseLedgerId("", "", ""),
          ReleaseTextId("ann@x.org", "Notely", "2.0"), TextLedgerId("ann@x.org", "Notely", "2.0")}) {
        EXPECT_NE(other, id);
        EXPECT_EQ(other.size(), 32u);
    }
    EXPECT_NE(ReleaseTextId("Subject", "", "Body"), ReleaseTextId("Subject", "Body", ""));
}

// However the product and version are typed, they name one release.
TEST(SendLedgerTest, AReleaseIsNamedWithoutCaseBlanksOrUnicodeForm)
{
    const std::string id = ReleaseLedgerId("ann@x.org", "Zo\xC3\xAB Notes", "2.1");
    struct Case {
        const char* sender;
        const char* product;
        const char* version;
        bool same;
    };
    const Case cases[] = {
        {"ann@x.org", "zo\xC3\xAB notes", "2.1", true},
        {"ann@x.org", "ZO\xC3\x8B NOTES", "2.1", true},
        {"ann@x.org", "Zoe\xCC\x88 Notes", "2.1", true},  // the mark apart from its letter
        {"ann@x.org", " \tZo\xC3\xAB Notes\t ", "2.1 ", true},
        {"ann@x.org", "Zo\xC3\xAB Notes\xC2\xA0", "\xEF\xBC\x92.1", true},  // no-break space, full-width 2
        {" Ann@X.org\t", "Zo\xC3\xAB Notes", "2.1", true},
        {"ann@x.org", "Zoe Notes", "2.1", false},
        {"ann@x.org", "Zo\xC3\xAB  Notes", "2.1", false},
        {"ann@x.org", "Zo\xC3\xAB Notes", "2.1.0", false},
        {"ann@x.org", "Zo\xC3\xAB Notes", "2. 1", false},
        {"ann@x.org", "Zo\xEB Notes", "2.1", false},  // Windows-1252
        {"ann@y.org", "Zo\xC3\xAB Notes", "2.1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sender) + "|" + c.product + "|" + c.version);
        EXPECT_EQ(ReleaseLedgerId(c.sender, c.product, c.version) == id, c.same);
    }
    // Bytes that are not UTF-8 still compare without case and blanks.
    EXPECT_EQ(ReleaseLedgerId("ann@x.org", " ZO\xEB NOTES", "2.1"),
              ReleaseLedgerId("ann@x.org", "zo\xEB notes\t", "2.1"));
    // A name that folding leaves as it is keeps the file earlier versions named.
    EXPECT_EQ(ReleaseLedgerId("ann@x.org", "Vantrel", "2.1"),
              ExactReleaseLedgerId("ann@x.org", "vantrel", "2.1"));
    EXPECT_NE(ReleaseLedgerId("ann@x.org", "Vantrel", "2.1"),
              ExactReleaseLedgerId("ann@x.org", "Vantrel", "2.1"));
}

TEST(SendLedgerTest, EachReceiverWithTheTextItGotAndWhatACrashLeaves)
{
    TempHome home;
    const std::string path = home.sandbox() + "/state/vantrel/r.ledger";
    const LedgerText text{"Notely 2.0", "Embargo\tuntil Monday\nBest, \\Ann"};
    {
        Result<SendLedger> ledger = SendLedger::Open(path);
        ASSERT_TRUE(ledger);
        EXPECT_FALSE(ledger->LatestText());
        ASSERT_TRUE(ledger->RecordText("T1", text, 100));
        for (const char* address : {"a@x.org", "b@x.org", "c@x.org", "d@x.org", "e@x.org"})
            ASSERT_TRUE(ledger->RecordSending(address, "T1"));
        ASSERT_TRUE(ledger->Record("a@x.org", LedgerOutcome::Sent, "250 queued\r\nas 1", "T1", 1796169600));
        ASSERT_TRUE(ledger->Record("b@x.org", LedgerOutcome::Refused, "550\tno such user", "T1", 200));
        ASSERT_TRUE(ledger->Record("c@x.org", LedgerOutcome::InDoubt, "dropped", "T1", 300));
        ASSERT_TRUE(ledger->Record("d@x.org", LedgerOutcome::Left, "451 later", "T1", 400));
        EXPECT_TRUE(ledger->InDoubt("C@X.ORG"));
        // e@x.org: the run dies while its message is in flight.
    }
    EXPECT_NE(ReadFileBytes(path).find("sent\ta@x.org\t250 queued  as 1\tT1\t1796169600\n"),
              std::string::npos);
    // Lines of no known kind, a line without its address, and a crash in
    // the middle of a line.
    WriteFileBytes(path, ReadFileBytes(path) + "sent\nsending\nnonsense\ta@x.org\nsent\tf@x.o");
    {
        Result<SendLedger> ledger = SendLedger::Open(path);
        ASSERT_TRUE(ledger);
        struct Case {
            const char* address;
            bool sentT1, sentAny, inDoubt;
        };
        const Case cases[] = {
            {"A@X.ORG", true, true, false},  {"b@x.org", false, false, false},
            {"c@x.org", false, false, true}, {"d@x.org", false, false, false},
            {"e@x.org", false, false, true}, {"f@x.o", false, false, false},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.address);
            EXPECT_EQ(ledger->HasSent(c.address, "T1"), c.sentT1);
            EXPECT_FALSE(ledger->HasSent(c.address, "T2"));
            EXPECT_EQ(ledger->HasSentAnyText(c.address), c.sentAny);
            EXPECT_EQ(ledger->InDoubt(c.address), c.inDoubt);
        }
        EXPECT_EQ(ledger->SentCount(), 1u);
        EXPECT_EQ(ledger->LastSent(), 1796169600);
        ASSERT_TRUE(ledger->LatestText());
        EXPECT_EQ(ledger->LatestText()->subject, text.subject);
        EXPECT_EQ(ledger->LatestText()->note, text.note);
        // Sent again when the user asks: the doubt is settled.
        ASSERT_TRUE(ledger->RecordSending("c@x.org", "T2"));
        ASSERT_TRUE(ledger->Record("c@x.org", LedgerOutcome::Sent, "250", "T2", 500));
    }
    EXPECT_EQ(ReadFileBytes(path).find("f@x.o"), std::string::npos) << "the cut line is gone";
    Result<SendLedger> reopened = SendLedger::Open(path);
    ASSERT_TRUE(reopened);
    EXPECT_FALSE(reopened->InDoubt("c@x.org"));
    EXPECT_TRUE(reopened->HasSent("c@x.org", "T2"));
    EXPECT_TRUE(reopened->HasSentAnyText("c@x.org"));
}

TEST(SendLedgerTest, AnEarlierVersionsLedgerStillCounts)
{
    TempHome home;
    const std::string earlier = home.sandbox() + "/old.ledger";
    WriteFileBytes(earlier, "sent\ta@x.org\t250 queued\nrefused\tb@x.org\t550 no\nsent\tc@x.o");
    Result<SendLedger> ledger = SendLedger::Open(home.sandbox() + "/new.ledger");
    ASSERT_TRUE(ledger);
    ASSERT_TRUE(ledger->RecordText("T2", {"Newer subject", ""}, 100));
    ASSERT_TRUE(ledger->Record("d@x.org", LedgerOutcome::Sent, "250", "T2", 100));
    ASSERT_TRUE(ledger->Record("e@x.org", LedgerOutcome::Left, "451", "T2", 100));
    // What an earlier ledger says came first: this ledger's lines stand over it.
    const std::string exact = home.sandbox() + "/exact.ledger";
    WriteFileBytes(exact, "text\tT1\t50\tOlder subject\t\ndoubt\td@x.org\t-\tT1\t50\nsending\te@x.org\tT1\n");
    ASSERT_TRUE(ledger->TakeEarlier(exact, ""));
    EXPECT_EQ(ledger->LatestText()->subject, "Newer subject");
    EXPECT_FALSE(ledger->InDoubt("d@x.org"));
    EXPECT_TRUE(ledger->InDoubt("e@x.org")) << "a later \"left\" settles no doubt";
    ASSERT_TRUE(ledger->TakeEarlier(home.sandbox() + "/missing.ledger", "T1"));
    ASSERT_TRUE(ledger->TakeEarlier(earlier, "T1"));
    EXPECT_TRUE(ledger->HasSent("a@x.org", "T1"));
    EXPECT_FALSE(ledger->HasSent("a@x.org", "T2"));
    EXPECT_TRUE(ledger->HasSentAnyText("a@x.org"));
    EXPECT_FALSE(ledger->HasSentAnyText("b@x.org"));
    EXPECT_FALSE(ledger->HasSentAnyText("c@x.o"));
    EXPECT_EQ(ReadFileBytes(earlier), "sent\ta@x.org\t250 queued\nrefused\tb@x.org\t550 no\nsent\tc@x.o")
        << "an earlier ledger is only read";
}

TEST(SendLedgerTest, OneRunAtATime)
{
    TempHome home;
    const std::string path = home.sandbox() + "/r.ledger";
    {
        Result<SendLedger> first = SendLedger::Open(path);
        ASSERT_TRUE(first);
        const Result<SendLedger> second = SendLedger::Open(path);
        ASSERT_FALSE(second);
        EXPECT_EQ(second.failure(), Failure::Busy);
    }
    EXPECT_TRUE(SendLedger::Open(path)) << "the lock goes with the run";

    std::filesystem::create_directory(home.sandbox() + "/folder.ledger");
    EXPECT_FALSE(SendLedger::Open(home.sandbox() + "/folder.ledger"));
}

// The words a run and its report are told in.
TEST(SendLedgerTest, WaitsNotesAndReportRows)
{
    EXPECT_EQ(RetryWaitText(std::chrono::seconds(100), 1, "451 4.7.1 try again later"),
              "Waiting 1:40 to try 1 receiver again: 451 4.7.1 try again later");
    EXPECT_EQ(RetryWaitText(std::chrono::seconds(59), 2, ""), "Waiting 0:59 to try 2 receivers again");
    EXPECT_EQ(RetryWaitText(std::chrono::seconds(-3), 2, ""), "Waiting 0:00 to try 2 receivers again");

    DeliveryPlan plan;
    plan.release = "Release.\n";
    EXPECT_EQ(MessageBody(plan), "Release.\n");
    plan.note = "Embargo until Monday.\r\n\n ";
    EXPECT_EQ(MessageBody(plan), "Embargo until Monday.\n\nRelease.\n");

    DeliverySummary summary;
    summary.receivers = {{"a@x.org", ReceiverState::Sent, ""},
                         {"b@x.org", ReceiverState::Refused, "550 no, \"never\""},
                         {"c@x.org", ReceiverState::InDoubt, "dropped\r\nafter data"},
                         {"d@x.org", ReceiverState::AlreadySent, ""},
                         {"e@x.org", ReceiverState::Left, ""}};
    EXPECT_EQ(ReportCsv(NotReached(summary, {{"john doe@x.org", "a blank inside the address"}})),
              "address,outcome,words\r\nb@x.org,refused,\"550 no, \"\"never\"\"\"\r\n"
              "c@x.org,in doubt,\"dropped\r\nafter data\"\r\ne@x.org,left,\r\n"
              "john doe@x.org,skipped,a blank inside the address\r\n");
}

}  // namespace
