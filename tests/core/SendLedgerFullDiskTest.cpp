// The ledger on a disk that refuses, brought about with a file size limit
// (POSIX).
#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

#include "TempHome.h"
#include "core/mail/SendLedger.h"

namespace {

TEST(SendLedgerTest, ADiskThatRefusesIsReported)
{
    TempHome home;
    const std::string path = home.sandbox() + "/r.ledger";
    Result<SendLedger> ledger = SendLedger::Open(path);
    ASSERT_TRUE(ledger);
    ASSERT_TRUE(ledger->Record("a@x.org", LedgerOutcome::Sent, "250"));
    // The file may not grow: the next line cannot be written.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = ReadFileBytes(path).size();
    setrlimit(RLIMIT_FSIZE, &tight);
    const Result<> recorded = ledger->Record("b@x.org", LedgerOutcome::Sent, "250");
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    ASSERT_FALSE(recorded);
    EXPECT_EQ(recorded.failure(), Failure::CannotWrite);
    EXPECT_FALSE(ledger->HasSent("b@x.org"));
    EXPECT_FALSE(SendLedger::Open(home.sandbox() + "/r.ledger/inside"));
}

}  // namespace
