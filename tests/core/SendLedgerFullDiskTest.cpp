// The ledger on a disk that refuses, brought about with a file size limit
// (POSIX): the process is not killed by SIGXFSZ, and no cut line stays.
// And a link planted in its place, which Windows users do not make.
#include <gtest/gtest.h>

#include <filesystem>

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
    ASSERT_TRUE(ledger->Record("a@x.org", LedgerOutcome::Sent, "250", "T1", 100));
    const std::string before = ReadFileBytes(path);
    // Room for part of the next line only.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = before.size() + 10;
    setrlimit(RLIMIT_FSIZE, &tight);
    const Result<> recorded = ledger->Record("b@x.org", LedgerOutcome::Sent, "250 2.0.0 queued", "T1", 100);
    const Result<> next = ledger->Record("c@x.org", LedgerOutcome::Sent, "250", "T1", 100);
    setrlimit(RLIMIT_FSIZE, &old);
    ASSERT_FALSE(recorded);
    EXPECT_EQ(recorded.failure(), Failure::CannotWrite);
    EXPECT_FALSE(next) << "nothing more is written once the disk refused";
    EXPECT_FALSE(ledger->HasSent("b@x.org", "T1"));
    EXPECT_EQ(ReadFileBytes(path), before) << "no cut line is left for the next one to be glued to";
    EXPECT_FALSE(SendLedger::Open(home.sandbox() + "/r.ledger/inside"));
}

TEST(SendLedgerTest, APlantedLinkIsNotFollowed)
{
    TempHome home;
    const std::string target = home.sandbox() + "/precious.txt";
    WriteFileBytes(target, "line one\nline two");
    const std::string planted = home.sandbox() + "/planted.ledger";
    std::filesystem::create_symlink(target, planted);
    const Result<SendLedger> linked = SendLedger::Open(planted);
    ASSERT_FALSE(linked);
    EXPECT_EQ(linked.failure(), Failure::CannotOpen);
    EXPECT_EQ(ReadFileBytes(target), "line one\nline two");
}

}  // namespace
