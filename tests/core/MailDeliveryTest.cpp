// Delivery to a real mail server on 127.0.0.1 (aiosmtpd), with a clock
// that pauses without sleeping.
#include <gtest/gtest.h>

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
    plan.subject = "Press release from Tarsel";
    plan.body = "Tarsel have released version 2.1 of Vantrel.\n";
    plan.receivers = std::move(receivers);
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
    for (const std::string password : {"wrong", "s3cret"}) {
        SmtpTransport transport(Server(server.Url(), "ann", password));
        RecordingClock clock;
        const DeliverySummary summary =
            DeliverRelease(Plan({"a@x.org", "b@x.org"}), transport, nullptr, clock.Clock(), {});
        EXPECT_EQ(summary.sent, password == "wrong" ? 0u : 2u);
        EXPECT_EQ(summary.stopReason.substr(0, 21), password == "wrong" ? "authentication failed" : "");
        EXPECT_EQ(summary.stopReason.find(password), std::string::npos);
    }
    EXPECT_EQ(server.Receivers().size(), 2u);
}

}  // namespace
