// Delivery to a real mail server on 127.0.0.1 (aiosmtpd), with a clock
// that pauses without sleeping.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <tuple>

#include <unistd.h>

#include "LocalSmtpServer.h"
#include "TempHome.h"
#include "core/mail/ReleaseDelivery.h"

namespace {

using std::chrono::milliseconds;

// Time moves only when the run pauses; the pauses are kept.
struct RecordingClock {
    std::chrono::steady_clock::time_point time;
    std::vector<long> pauses;

    DeliveryClock Clock()
    {
        return {[this] { return time; },
                [this](milliseconds duration) {
                    pauses.push_back(static_cast<long>(duration.count()));
                    time += duration;
                },
                [] { return std::time_t(1796169600); }};
    }
};

SmtpServer Server(const std::string& url, const std::string& user = "", const std::string& password = "")
{
    SmtpServer server;
    server.url = url;
    server.user = user;
    server.password = password;
    return server;
}

DeliveryPlan Plan(std::vector<std::string> receivers)
{
    DeliveryPlan plan;
    plan.sender = {"Ann Lee", "ann@x.org"};
    plan.product = "Vantrel";
    plan.version = "2.1";
    plan.subject = "Press release from Tarsel";
    plan.release = "Tarsel have released version 2.1 of Vantrel.\n";
    for (const std::string& receiver : receivers)
        plan.receivers.push_back({"", receiver});
    return plan;
}

std::vector<std::string> Addresses(const DeliverySummary& summary, ReceiverState state)
{
    std::vector<std::string> addresses;
    for (const ReceiverOutcome& outcome : summary.receivers)
        if (outcome.state == state)
            addresses.push_back(outcome.address);
    return addresses;
}

TEST(MailDeliveryTest, RepliesPaceRetriesAndTheLedger)
{
    TempHome home;
    LocalSmtpServer server(
        home.sandbox() + "/mail",
        {"--script", "later@x.org=451", "--script", "bad@x.org=550", "--script", "drop@x.org=drop"});
    SmtpTransport transport(Server(server.Url()));
    const DeliveryPlan plan = Plan({"a@x.org", "later@x.org", "bad@x.org", "drop@x.org", "c@x.org"});
    Result<SendLedger> ledger = SendLedger::Open(home.sandbox() + "/r.ledger");
    ASSERT_TRUE(ledger);
    RecordingClock clock;
    const DeliverySummary summary = DeliverRelease(plan, transport, &*ledger, clock.Clock(), {});

    EXPECT_EQ(server.Receivers(),
              (std::vector<std::string>{"a@x.org", "c@x.org", "later@x.org", "drop@x.org"}));
    EXPECT_EQ(Addresses(summary, ReceiverState::Sent), server.Receivers());
    ASSERT_EQ(Addresses(summary, ReceiverState::Refused), std::vector<std::string>{"bad@x.org"});
    EXPECT_EQ(summary.receivers[1].reply, "550 5.1.1 <bad@x.org>: no such user here");
    EXPECT_FALSE(summary.EveryoneHasIt());
    // 20 a minute: 3 s between starts; the round of "later" after 30 s.
    EXPECT_EQ(clock.pauses, (std::vector<long>{3000, 3000, 3000, 3000, 30000, 3000}));

    // The same release again: only the refused receiver is tried.
    RecordingClock again;
    DeliveryPlan unpaced = plan;
    unpaced.perMinute = 0;
    const DeliverySummary second = DeliverRelease(unpaced, transport, &*ledger, again.Clock(), {});
    EXPECT_EQ(second.alreadySent, 4u);
    EXPECT_EQ(second.sent, 0u);
    EXPECT_EQ(second.refused, 1u);
    EXPECT_EQ(server.Receivers().size(), 4u);
    EXPECT_TRUE(again.pauses.empty());
}

TEST(MailDeliveryTest, TlsIsRequiredAndVerified)
{
    TempHome home;
    const TestCertificate certificate = MakeTestCertificate(home.sandbox(), "mail.vantrel.test");
    LocalSmtpServer startTls(home.sandbox() + "/starttls",
                             {"--starttls", certificate.certificate, certificate.key});
    LocalSmtpServer implicitTls(home.sandbox() + "/tls", {"--tls", certificate.certificate, certificate.key});
    LocalSmtpServer plain(home.sandbox() + "/plain");
    auto named = [](const LocalSmtpServer& server, const std::string& scheme) {
        SmtpServer named = Server(server.Url(scheme, "mail.vantrel.test"));
        named.resolve = {"mail.vantrel.test:" + std::to_string(server.port()) + ":127.0.0.1"};
        return named;
    };
    struct Case {
        const char* name;
        SmtpServer server;
        std::string caFile;
        bool sent;
        std::string stopReason;  // its beginning
    };
    const Case cases[] = {
        {"STARTTLS, trusted", named(startTls, "smtp"), certificate.certificate, true, ""},
        {"TLS from the start", named(implicitTls, "smtps"), certificate.certificate, true, ""},
        {"STARTTLS, unknown authority", named(startTls, "smtp"), "", false, "TLS failed"},
        {"no STARTTLS offered", named(plain, "smtp"), certificate.certificate, false, "TLS failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmtpServer server = c.server;
        server.caFile = c.caFile;
        SmtpTransport transport(server);
        RecordingClock clock;
        const DeliverySummary summary =
            DeliverRelease(Plan({"a@x.org", "b@x.org"}), transport, nullptr, clock.Clock(), {});
        EXPECT_EQ(summary.sent, c.sent ? 2u : 0u);
        EXPECT_EQ(summary.left, c.sent ? 0u : 2u) << "a TLS failure stops the run at once";
        EXPECT_EQ(summary.stopReason.substr(0, c.stopReason.size()), c.stopReason) << summary.stopReason;
    }
    EXPECT_EQ(startTls.Receivers().size(), 2u);
    EXPECT_EQ(implicitTls.Receivers().size(), 2u);
    EXPECT_TRUE(plain.Receivers().empty()) << "nothing in plain text to a name that is not loopback";
}

TEST(MailDeliveryTest, AWrongPasswordStopsTheRun)
{
    TempHome home;
    LocalSmtpServer server(home.sandbox() + "/mail", {"--auth", "ann:s3cret"});
    // No user for a server that wants one stops the run once, as a wrong
    // password does: nobody is refused for it.
    for (const std::string user : {"", "ann"})
        for (const std::string password : {"wrong", "s3cret"}) {
            SmtpTransport transport(Server(server.Url(), user, password));
            RecordingClock clock;
            const DeliverySummary summary =
                DeliverRelease(Plan({"a@x.org", "b@x.org"}), transport, nullptr, clock.Clock(), {});
            const bool loggedIn = !user.empty() && password == "s3cret";
            EXPECT_EQ(summary.sent, loggedIn ? 2u : 0u);
            EXPECT_EQ(summary.refused, 0u);
            EXPECT_EQ(summary.stopReason.substr(0, 21), loggedIn ? "" : "authentication failed");
            EXPECT_EQ(summary.stopReason.find(password), std::string::npos);
        }
    EXPECT_EQ(server.Receivers().size(), 2u);
}

// The promise "nobody twice": a message whose end went out without an
// answer is in doubt and waits for the user; a changed text goes to the
// rest only unless the user says otherwise.
TEST(MailDeliveryTest, InDoubtAndChangedTextsAreNeverSentAgainUnasked)
{
    TempHome home;
    LocalSmtpServer server(home.sandbox() + "/mail", {"--script", "doubt@x.org=dropdata"});
    SmtpTransport transport(Server(server.Url()));
    Result<SendLedger> ledger = SendLedger::Open(home.sandbox() + "/r.ledger");
    ASSERT_TRUE(ledger);
    DeliveryPlan plan = Plan({"a@x.org", "doubt@x.org", "c@x.org"});
    plan.perMinute = 0;
    struct Run {
        const char* name;
        std::string note;
        ChangedText changed;
        bool againInDoubt;
        std::vector<ReceiverState> states;
        std::vector<std::string> receivedSoFar;
    };
    using S = ReceiverState;
    const Run runs[] = {
        {"first",
         "",
         ChangedText::Rest,
         false,
         {S::Sent, S::InDoubt, S::Sent},
         {"a@x.org", "doubt@x.org", "c@x.org"}},
        {"resumed",
         "",
         ChangedText::Rest,
         false,
         {S::AlreadySent, S::InDoubt, S::AlreadySent},
         {"a@x.org", "doubt@x.org", "c@x.org"}},
        {"a note added, rest only",
         "Embargo until Monday.",
         ChangedText::Rest,
         false,
         {S::EarlierText, S::InDoubt, S::EarlierText},
         {"a@x.org", "doubt@x.org", "c@x.org"}},
        {"to everyone, the doubt too",
         "Embargo until Monday.",
         ChangedText::All,
         true,
         {S::Sent, S::Sent, S::Sent},
         {"a@x.org", "doubt@x.org", "c@x.org", "a@x.org", "doubt@x.org", "c@x.org"}},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.name);
        plan.note = run.note;
        plan.changed = run.changed;
        plan.againInDoubt = run.againInDoubt;
        RecordingClock clock;
        const DeliverySummary summary = DeliverRelease(plan, transport, &*ledger, clock.Clock(), {});
        std::vector<ReceiverState> states;
        for (const ReceiverOutcome& outcome : summary.receivers)
            states.push_back(outcome.state);
        EXPECT_EQ(states, run.states);
        EXPECT_EQ(server.Receivers(), run.receivedSoFar);
        EXPECT_EQ(summary.EveryoneHasIt(), run.states == std::vector<S>(3, S::Sent));
        EXPECT_TRUE(clock.pauses.empty()) << "an answer never heard is no reason to try again later";
    }
    EXPECT_NE(server.Messages().back().find("Embargo until Monday.\r\n\r\nTarsel have released"),
              std::string::npos);
}

// Ledgers of the version that kept one file per text still count: the file
// name below is what that version computed for this plan.
TEST(MailDeliveryTest, AnEarlierVersionsLedgerKeepsCounting)
{
    TempHome home;
    LocalSmtpServer server(home.sandbox() + "/mail");
    SmtpTransport transport(Server(server.Url()));
    const std::string folder = home.home() + "/.local/state/vantrel/";
    WriteFileBytes(folder + "7e6b9999b3f550d01a5e412dd4dfe9de.ledger", "sent\ta@x.org\t250 queued\n");
    DeliveryPlan plan = Plan({"a@x.org", "b@x.org"});
    plan.perMinute = 0;
    EXPECT_EQ(LedgerPathFor(plan), folder + ReleaseLedgerId("ann@x.org", "Vantrel", "2.1") + ".ledger");
    for (const char* note : {"", "Embargo until Monday."}) {
        SCOPED_TRACE(note);
        plan.note = note;
        Result<SendLedger> ledger = OpenReleaseLedger(plan, "Press release from Tarsel").ledger;
        ASSERT_TRUE(ledger);
        RecordingClock clock;
        const DeliverySummary summary = DeliverRelease(plan, transport, &*ledger, clock.Clock(), {});
        ASSERT_EQ(summary.receivers.size(), 2u);
        EXPECT_EQ(summary.receivers[0].state,
                  *note ? ReceiverState::EarlierText : ReceiverState::AlreadySent);
    }
    EXPECT_EQ(server.Receivers(), std::vector<std::string>{"b@x.org"});
}

// One release however its name is typed, and what the version before kept
// under the name as typed still counts: a@ got it, b@'s message was in
// flight when that run died.
TEST(MailDeliveryTest, TheReleaseIsOneWhateverCaseOrBlanksItsNameIsTypedWith)
{
    TempHome home;
    LocalSmtpServer server(home.sandbox() + "/mail");
    SmtpTransport transport(Server(server.Url()));
    DeliveryPlan plan = Plan({"a@x.org", "b@x.org", "c@x.org"});
    plan.perMinute = 0;
    const std::string textId = TextIdOf(plan);
    const std::string before = LedgerPath(ExactReleaseLedgerId("ann@x.org", "Vantrel", "2.1"));
    std::filesystem::create_directories(std::filesystem::path(before).parent_path());
    WriteFileBytes(before,
                   "text\t" + textId + "\t1796169600\tPress release from Tarsel\t\nsent\ta@x.org\t250\t" +
                       textId + "\t1796169600\nsending\tb@x.org\t" + textId + "\n");
    using S = ReceiverState;
    struct Run {
        const char* product;
        const char* version;
        std::vector<ReceiverState> states;
    };
    const Run runs[] = {
        {"Vantrel", "2.1", {S::AlreadySent, S::InDoubt, S::Sent}},
        {"vantrel", "2.1 ", {S::AlreadySent, S::InDoubt, S::AlreadySent}},
        {"\tVANTREL", "2.1", {S::AlreadySent, S::InDoubt, S::AlreadySent}},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(std::string(run.product) + "/" + run.version);
        plan.product = run.product;
        plan.version = run.version;
        ReleaseLedger opened = OpenReleaseLedger(plan, plan.subject);
        ASSERT_TRUE(opened.ledger);
        RecordingClock clock;
        const DeliverySummary summary = DeliverRelease(plan, transport, &*opened.ledger, clock.Clock(), {});
        std::vector<ReceiverState> states;
        for (const ReceiverOutcome& outcome : summary.receivers)
            states.push_back(outcome.state);
        EXPECT_EQ(states, run.states);
    }
    EXPECT_EQ(server.Receivers(), std::vector<std::string>{"c@x.org"});
}

// An earlier ledger that is there but cannot be read may name receivers
// who have the release: nothing is sent, and that file is named.
TEST(MailDeliveryTest, AnEarlierLedgerThatCannotBeReadStopsTheSend)
{
    TempHome home;
    const DeliveryPlan plan = Plan({"a@x.org"});
    const std::string exact = LedgerPath(ExactReleaseLedgerId("ann@x.org", "Vantrel", "2.1"));
    const std::string perText = LedgerPath(TextLedgerId("Ann Lee <ann@x.org>", plan.subject, plan.release));
    std::filesystem::create_directories(std::filesystem::path(exact).parent_path());
    enum class Put { Link, Folder, NoPermission };
    for (const auto& [path, put] : {std::pair(exact, Put::Link), std::pair(perText, Put::Link),
                                    std::pair(exact, Put::Folder), std::pair(exact, Put::NoPermission)}) {
        // Root reads a file of mode 000 all the same.
        if (put == Put::NoPermission && geteuid() == 0)
            continue;
        SCOPED_TRACE(path + " " + std::to_string(static_cast<int>(put)));
        if (put == Put::Link)
            std::filesystem::create_symlink(home.sandbox() + "/elsewhere.ledger", path);
        else if (put == Put::Folder)
            std::filesystem::create_directory(path);
        else {
            WriteFileBytes(path, "");
            std::filesystem::permissions(path, std::filesystem::perms::none);
        }
        for (const ReleaseLedger& opened :
             {OpenReleaseLedger(plan, plan.subject), PeekReleaseLedger(plan, plan.subject)}) {
            EXPECT_FALSE(opened.ledger);
            EXPECT_EQ(opened.path, path);
        }
        std::filesystem::remove(path);
        EXPECT_TRUE(OpenReleaseLedger(plan, plan.subject).ledger) << "the release's own ledger was let go";
    }
}

// A server that never stops talking holds a message no longer than the
// time limit, and Cancel ends a message in transit at once.
TEST(MailDeliveryTest, ATimeLimitAndCancelEndAMessageInTransit)
{
    TempHome home;
    LocalSmtpServer server(home.sandbox() + "/mail",
                           {"--script", "talk@x.org=chatter", "--script", "hang@x.org=hang"});
    SmtpServer limited = Server(server.Url());
    limited.timeLimit = std::chrono::seconds(2);
    SmtpTransport talking(limited);
    RecordingClock clock;
    const DeliverySummary talked =
        DeliverRelease(Plan({"talk@x.org", "b@x.org"}), talking, nullptr, clock.Clock(), {});
    ASSERT_EQ(talked.receivers.size(), 2u);
    EXPECT_EQ(talked.receivers[0].state, ReceiverState::Left);
    EXPECT_EQ(talked.stopReason.substr(0, 35), "the server did not finish in time: ");
    EXPECT_EQ(talked.left, 2u);

    // Cancel pressed a while after the server stopped answering.
    std::optional<std::chrono::steady_clock::time_point> first;
    SmtpTransport cancelled(Server(server.Url()), [&] {
        const auto now = std::chrono::steady_clock::now();
        first = first.value_or(now);
        return now - *first < std::chrono::milliseconds(1500);
    });
    const DeliverySummary stopped =
        DeliverRelease(Plan({"hang@x.org", "b@x.org"}), cancelled, nullptr, clock.Clock(), {});
    ASSERT_EQ(stopped.receivers.size(), 2u);
    EXPECT_EQ(stopped.receivers[0].state, ReceiverState::InDoubt) << stopped.receivers[0].reply;
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.receivers[1].state, ReceiverState::Left);
}

// What the send window says before anything goes: who gets it now, how
// long that takes at the pace, and the one question.
TEST(MailDeliveryTest, TheSendWindowSaysWhoGetsItNowAndHowLong)
{
    ReleaseStanding standing;
    standing.alreadySent = 162;
    standing.earlierText = 2;
    standing.inDoubt = 1;
    EXPECT_EQ(ToSendNow(295, standing, ChangedText::Rest, false), 130u);
    EXPECT_EQ(ToSendNow(295, standing, ChangedText::All, false), 132u);
    EXPECT_EQ(ToSendNow(295, standing, ChangedText::Rest, true), 131u);
    EXPECT_EQ(ToSendNow(165, standing, ChangedText::Rest, false), 0u);
    EXPECT_EQ(ToSendNow(100, standing, ChangedText::Rest, false), 0u);

    const std::tuple<std::size_t, int, std::string> durations[] = {
        {130, 20, "about 7 minutes"},  // 129 pauses of 3 s: 6 min 27 s
        {295, 20, "about 15 minutes"}, {21, 20, "about 1 minute"}, {20, 20, "less than a minute"},
        {1, 1, "less than a minute"},  {2, 1, "about 1 minute"},   {1000, 0, "less than a minute"},
        {0, 20, "less than a minute"},
    };
    for (const auto& [messages, perMinute, text] : durations)
        EXPECT_EQ(SendDurationText(messages, perMinute), text) << messages << " at " << perMinute;
    EXPECT_EQ(SendQuestionText(130, 20), "Send the release to 130 receivers now? About 7 minutes.");
    EXPECT_EQ(SendQuestionText(1, 20), "Send the release to 1 receiver now? Less than a minute.");

    EXPECT_EQ(NothingToSendText(0, {}), "Nothing to send: no receiver is left to send to.");
    EXPECT_EQ(NothingToSendText(3, {3, 0, 0, 0}),
              "Nothing to send: every receiver already has this release.");
    EXPECT_EQ(
        NothingToSendText(3, {1, 1, 1, 0}),
        "Nothing to send now: every receiver already has this release or an earlier text of it, or is in "
        "doubt.");
}

// Until the last line of the answer to the message is read, the server
// may have taken it: an answer cut short after "250-", or one that goes on
// past the time limit, leaves the message in doubt, in this run and the next.
TEST(MailDeliveryTest, AnAnswerCutShortOrEndlessLeavesTheMessageInDoubt)
{
    TempHome home;
    LocalSmtpServer server(home.sandbox() + "/mail",
                           {"--script", "cut@x.org=cutdata", "--script", "talk@x.org=chatterdata"});
    SmtpServer limited = Server(server.Url());
    limited.timeLimit = std::chrono::seconds(2);
    for (const std::string receiver : {"cut@x.org", "talk@x.org"}) {
        SCOPED_TRACE(receiver);
        for (const char* run : {"first", "resumed"}) {
            SCOPED_TRACE(run);
            Result<SendLedger> ledger = SendLedger::Open(home.sandbox() + "/" + receiver + ".ledger");
            ASSERT_TRUE(ledger);
            SmtpTransport transport(limited);
            RecordingClock clock;
            const DeliverySummary summary =
                DeliverRelease(Plan({receiver}), transport, &*ledger, clock.Clock(), {});
            ASSERT_EQ(summary.receivers.size(), 1u);
            EXPECT_EQ(summary.receivers[0].state, ReceiverState::InDoubt) << summary.receivers[0].reply;
            EXPECT_TRUE(clock.pauses.empty()) << "no round of \"later\" for a message that may have gone";
        }
        const std::vector<std::string> received = server.Receivers();
        EXPECT_EQ(std::count(received.begin(), received.end(), receiver), 1);
    }
}

}  // namespace
