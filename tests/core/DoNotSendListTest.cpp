// The do-not-send list of a sender: what it keeps, what a send leaves out,
// and that two programs changing it at once lose nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempHome.h"
#include "core/files/SafeFileWriter.h"
#include "core/replies/DoNotSendList.h"

namespace {

constexpr std::time_t kDecember7Noon = 1796644800;  // 2026-12-07 12:00 UTC

std::vector<std::string> Addresses(const DoNotSendList& list)
{
    std::vector<std::string> addresses;
    for (const DoNotSendEntry& entry : list.Entries())
        addresses.push_back(entry.address + "=" + DoNotSendText(entry));
    return addresses;
}

class DoNotSendListTest : public testing::Test {
protected:
    // Under Wine the state folder is the prefix's, one for the whole suite.
    void SetUp() override { std::filesystem::remove(path); }

    TempHome home;
    const std::string path = DoNotSendPath("press@acme.com");
};

TEST_F(DoNotSendListTest, KeepsOneEntryPerAddressWithItsEvidence)
{
    EXPECT_EQ(path, DoNotSendPath("Press@ACME.com"));
    EXPECT_NE(path, DoNotSendPath("news@acme.com"));
    Result<DoNotSendList> list = DoNotSendList::Open(path);
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->Entries().empty());
    struct Step {
        DoNotSendEntry added;
        std::vector<std::string> after;
    };
    const Step steps[] = {
        {{"Gone@X.org", DoNotSendReason::ByHand, kDecember7Noon, ""},
         {"gone@x.org=taken off by hand on 2026-12-07"}},
        // Evidence replaces a hand's entry, never the other way round.
        {{"gone@x.org", DoNotSendReason::Bounced, kDecember7Noon, "5.1.1 smtp; 550\tuser\nunknown"},
         {"gone@x.org=bounced on 2026-12-07: 5.1.1 smtp; 550 user unknown"}},
        {{"GONE@x.org", DoNotSendReason::ByHand, kDecember7Noon + 86400, ""},
         {"gone@x.org=bounced on 2026-12-07: 5.1.1 smtp; 550 user unknown"}},
        {{"ann@y.org", DoNotSendReason::Unsubscribed, kDecember7Noon, "subject: unsubscribe"},
         {"gone@x.org=bounced on 2026-12-07: 5.1.1 smtp; 550 user unknown",
          "ann@y.org=asked not to receive on 2026-12-07"}},
        {{"bob@z.org", DoNotSendReason::Complaint, 0, "abuse"},
         {"gone@x.org=bounced on 2026-12-07: 5.1.1 smtp; 550 user unknown",
          "ann@y.org=asked not to receive on 2026-12-07", "bob@z.org=complained"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.added.address);
        ASSERT_TRUE(list->Add(step.added));
        EXPECT_EQ(Addresses(*list), step.after);
        const Result<DoNotSendList> again = DoNotSendList::Open(path);
        ASSERT_TRUE(again);
        EXPECT_EQ(Addresses(*again), step.after);
    }
    ASSERT_TRUE(list->Remove("ANN@y.org"));
    const Result<> missing = list->Remove("ann@y.org");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.failure(), Failure::Missing);
    EXPECT_EQ(Addresses(*DoNotSendList::Open(path)),
              (std::vector<std::string>{"gone@x.org=bounced on 2026-12-07: 5.1.1 smtp; 550 user unknown",
                                        "bob@z.org=complained"}));
}

TEST_F(DoNotSendListTest, TwoProgramsChangingItLoseNothing)
{
    Result<DoNotSendList> first = DoNotSendList::Open(path);
    Result<DoNotSendList> second = DoNotSendList::Open(path);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->Add({"a@x.org", DoNotSendReason::ByHand, kDecember7Noon, ""}));
    ASSERT_TRUE(second->Add({"b@x.org", DoNotSendReason::ByHand, kDecember7Noon, ""}));
    ASSERT_TRUE(first->Remove("b@x.org"));
    ASSERT_TRUE(second->Add({"c@x.org", DoNotSendReason::ByHand, kDecember7Noon, ""}));
    EXPECT_EQ(Addresses(*DoNotSendList::Open(path)),
              (std::vector<std::string>{"a@x.org=taken off by hand on 2026-12-07",
                                        "c@x.org=taken off by hand on 2026-12-07"}));

    // While another program holds the list, a change waits, then gives up
    // and leaves the file as it was.
    const std::string before = ReadFileBytes(path);
    const int held = open((path + ".lock").c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_TRUE(LockExclusively(held));
    const Result<> busy = first->Add({"d@x.org", DoNotSendReason::ByHand, kDecember7Noon, ""});
    close(held);
    ASSERT_FALSE(busy);
    EXPECT_EQ(busy.failure(), Failure::Busy);
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(DoNotSendListTest, ADamagedListIsNeverTakenForAnEmptyOne)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(WriteFileAtomically(path, std::string("a@x.org\tby-hand\t1\t\n")));
    const Result<DoNotSendList> damaged = DoNotSendList::Open(path);
    ASSERT_FALSE(damaged);
    EXPECT_EQ(damaged.failure(), Failure::Damaged);
    // Lines it cannot read are passed over; the rest stands.
    ASSERT_TRUE(WriteFileAtomically(path,
                                    std::string("vantrel do-not-send 1\nb@x.org\tbounced\t1796644800\t5.1.1\n"
                                                "c@x.org\tfrightened\t1\t\nd@x.org\tby-hand\n"
                                                "e@x.org\tcomplaint\t1\tabuse")));
    const Result<DoNotSendList> read = DoNotSendList::Open(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(Addresses(*read), std::vector<std::string>{"b@x.org=bounced on 2026-12-07: 5.1.1"});
}

// Who asked not to be mailed is for the sender's eyes only, as the ledgers
// are: also a list that an earlier version left readable to others.
TEST_F(DoNotSendListTest, OnlyItsOwnerMayReadIt)
{
    const mode_t mask = umask(022);
    Result<DoNotSendList> list = DoNotSendList::Open(path);
    ASSERT_TRUE(list);
    ASSERT_TRUE(list->Add({"a@x.org", DoNotSendReason::ByHand, kDecember7Noon, ""}));
    const auto mode = [this] {
        return std::filesystem::status(path).permissions() & std::filesystem::perms::all;
    };
    EXPECT_EQ(mode(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::permissions(path, std::filesystem::perms(0644));
    ASSERT_TRUE(list->Add({"b@x.org", DoNotSendReason::ByHand, kDecember7Noon, ""}));
    EXPECT_EQ(mode(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    umask(mask);
}

TEST_F(DoNotSendListTest, ASendLeavesOutTheListedInTheListsOrder)
{
    Result<DoNotSendList> list = DoNotSendList::Open(path);
    ASSERT_TRUE(list);
    ASSERT_TRUE(list->Add({"b@x.org", DoNotSendReason::Unsubscribed, kDecember7Noon, ""}));
    ASSERT_TRUE(list->Add({"d@x.org", DoNotSendReason::Bounced, kDecember7Noon, "5.1.1 user unknown"}));
    std::vector<Mailbox> receivers = {{"", "a@x.org"}, {"Bo", "B@X.org"}, {"", "c@x.org"}, {"", "d@x.org"}};
    const std::vector<SkippedReceiver> skipped = LeaveOutDoNotSend(receivers, *list);
    ASSERT_EQ(receivers.size(), 2u);
    EXPECT_EQ(receivers[0].address, "a@x.org");
    EXPECT_EQ(receivers[1].address, "c@x.org");
    ASSERT_EQ(skipped.size(), 2u);
    EXPECT_EQ(skipped[0].text, "B@X.org");
    EXPECT_EQ(skipped[0].reason, "asked not to receive on 2026-12-07");
    EXPECT_EQ(skipped[1].reason, "bounced on 2026-12-07: 5.1.1 user unknown");
}

// A dead address refused while sending goes on the list with the server's
// words; a refusal for policy, a full mailbox or "later" does not.
TEST_F(DoNotSendListTest, TheDeadRefusedWhileSendingGoOnTheList)
{
    DeliverySummary summary;
    summary.receivers = {
        {"Dead@x.org", ReceiverState::Refused, "550 5.1.1 <Dead@x.org>: no such user here"},
        {"policy@x.org", ReceiverState::Refused, "550 5.7.1 rejected by policy"},
        {"full@x.org", ReceiverState::Refused, "552 5.2.2 mailbox full"},
        {"later@x.org", ReceiverState::Left, "450 4.1.1 user unknown"},
        {"sent@x.org", ReceiverState::Sent, "250 2.0.0 queued"},
        {"gone@y.org", ReceiverState::Refused, "550 User unknown"},
    };
    const std::vector<DoNotSendEntry> dead = RefusedAsDead(summary, kDecember7Noon);
    EXPECT_EQ(ListedAfterSendText(dead),
              "2 refused as unknown addresses were put on the do-not-send list: dead@x.org, gone@y.org.");
    EXPECT_EQ(ListedAfterSendText({dead[1]}),
              "1 refused as an unknown address was put on the do-not-send list: "
              "gone@y.org.");
    EXPECT_EQ(
        ListedAfterSendText({dead[0], dead[1], dead[0], dead[1], dead[0]}),
        "5 refused as unknown addresses were put on the do-not-send list: dead@x.org, gone@y.org, dead@x.org "
        "and 2 more.");
    Result<DoNotSendList> list = DoNotSendList::Open(path);
    ASSERT_TRUE(list && list->AddAll(dead));
    EXPECT_EQ(Addresses(*DoNotSendList::Open(path)),
              (std::vector<std::string>{
                  "dead@x.org=refused when sending on 2026-12-07: 550 5.1.1 <Dead@x.org>: no such user here",
                  "gone@y.org=refused when sending on 2026-12-07: 550 User unknown"}));
}

}  // namespace
