// Messages in the sender's mailbox as mail servers and receivers write
// them: which receiver a report is about, what happened, and whether the
// message was ours; and the tally of a whole reading.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/replies/HeaderValues.h"
#include "core/replies/ReplyReport.h"

namespace {

const std::string kSender = "press@acme.com";
const std::string kOurs = "<0a1b2c3d4e5f6789.12.vantrel@acme.com>";

std::string Crlf(const std::string& text)
{
    std::string out;
    for (const char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// A report with a human part, then the given parts, closed or not.
std::string Report(const std::string& contentType, const std::vector<std::string>& parts, bool closed = true)
{
    std::string text = "From: Mail Delivery System <MAILER-DAEMON@mx.acme.com>\nTo: " + kSender +
        "\nDate: Tue, 8 Dec 2026 08:00:00 +0100\nMessage-ID: <r" + std::to_string(parts.size()) +
        "@mx.acme.com>\nMIME-Version: 1.0\n" + contentType +
        "\n\nThis is a MIME message.\n--B1\nContent-Type: text/plain\n\nIt could not be delivered.\n";
    for (const std::string& part : parts)
        text += "--B1\n" + part + "\n";
    return text + (closed ? "--B1--\n" : "");
}

const std::string kDsnType = "Content-Type: multipart/report; report-type=delivery-status; boundary=B1";
std::string Status(const std::string& blocks)
{
    return "Content-Type: message/delivery-status\n\nReporting-MTA: dns; mx.acme.com\n\n" + blocks;
}
std::string Returned(const std::string& type, const std::string& id)
{
    return "Content-Type: " + type + "\n\nFrom: press@acme.com\nTo: ann@x.org\nSubject: Notely 2.1\n" +
        (id.empty() ? "" : "Message-ID: " + id + "\n") + "\nHello.";
}
const std::string kUserUnknown = "Final-Recipient: rfc822; X@Y.org\nAction: failed\nStatus: 5.1.1\n"
                                 "Diagnostic-Code: smtp; 550 5.1.1 <x@y.org>:\n user unknown\n";

std::string Unsubscribe(const std::string& headers)
{
    return "From: Ann Lee <Ann@X.org>\nDate: Tue, 8 Dec 2026 08:00:00 +0100\n" + headers + "\n\nPlease.\n";
}

std::string Nested(int levels, const std::string& inner)
{
    std::string text = inner;
    for (int i = 0; i < levels; ++i)
        text = "Content-Type: multipart/mixed; boundary=N" + std::to_string(i) + "\n\n--N" +
            std::to_string(i) + "\n" + text + "\n--N" + std::to_string(i) + "--\n";
    return text;
}

const char* OursText(OurMessage ours)
{
    return ours == OurMessage::Yes ? "yes" : ours == OurMessage::No ? "no" : "?";
}

// "address|kind|ours|evidence" joined by "; ".
std::string FindingsText(const ReplyVerdict& verdict)
{
    std::string text;
    for (const ReplyFinding& f : verdict.findings)
        text += (text.empty() ? "" : "; ") + f.address + "|" + ReplyKindText(f.kind) + "|" +
            OursText(f.ours) + "|" + f.evidence;
    for (const ReplyFinding& f : verdict.alsoNamed)
        text += "; also " + f.address + "|" + ReplyKindText(f.kind);
    return text;
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ReplyReportTest, ReportsNameTheReceiverWhatHappenedAndWhetherTheMessageWasOurs)
{
    const std::string postfix =
        "Content-Type: multipart/report; Report-Type=\"Delivery-Status\";\n\tboundary=\"B1\"";
    const std::string postfixBlocks =
        "Final-Recipient: rfc822; a@x.org\nOriginal-Recipient: rfc822;A@x.org\nAction: failed\nStatus: 5.1.1\n"
        "Diagnostic-Code: smtp; 550 5.1.1 <a@x.org>: Recipient address rejected: User\n    unknown\n\n"
        "Final-Recipient: rfc822; b@y.org\nAction: delayed (retrying)\nStatus: 4.4.1\n\n"
        "Final-Recipient: rfc822; c@z.org\nAction: delivered\nStatus: 2.0.0\n";
    const std::string arf = "Content-Type: multipart/report; report-type=feedback-report; boundary=B1";
    const std::string feedback =
        "Content-Type: message/feedback-report\n\nFeedback-Type: abuse\nVersion: 1\n";
    struct Row {
        const char* name;
        std::string message;
        bool recognised;
        std::string findings;
    };
    const Row rows[] = {
        {"exim 4.96, unroutable",
         FileText(VANTREL_TEST_SUPPORT_DIR "/../fuzz/corpus/replies/exim-failed.eml"), true,
         "gone@press.test|hard bounce|yes|5.0.0"},
        {"user unknown, CR LF",
         Crlf(Report(kDsnType, {Status(kUserUnknown), Returned("message/rfc822", kOurs)})), true,
         "x@y.org|hard bounce|yes|5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown"},
        {"Postfix, three receivers",
         Report(postfix, {Status(postfixBlocks), Returned("text/rfc822-headers", kOurs)}), true,
         "a@x.org|hard bounce|yes|5.1.1 smtp; 550 5.1.1 <a@x.org>: Recipient address rejected: User unknown; "
         "also b@y.org|soft bounce"},
        {"failed, 4.x.x",
         Report(kDsnType,
                {Status("Final-Recipient: rfc822;<b@y.org>\nAction: FAILED\nStatus: 4.2.2 (full)\n")}),
         true, "b@y.org|soft bounce|?|4.2.2"},
        {"failed, no status",
         Report(kDsnType,
                {Status("Final-Recipient: b@y.org\nAction: failed\nDiagnostic-Code: smtp; 552 full\n")}),
         true, "b@y.org|soft bounce|?|smtp; 552 full"},
        {"not ours",
         Report(kDsnType, {Status(kUserUnknown), Returned("message/rfc822", "<CA+x1@mail.other.org>")}), true,
         "x@y.org|hard bounce|no|5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown"},
        {"none returned, ours by References",
         "References: <x@y.org> " + kOurs + "\n" + Report(kDsnType, {Status(kUserUnknown)}), true,
         "x@y.org|hard bounce|yes|5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown"},
        {"returned without Message-ID",
         Report(kDsnType, {Status(kUserUnknown), Returned("message/rfc822", "")}), true,
         "x@y.org|hard bounce|no|5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown"},
        {"final recipient no address, original taken; x400 skipped",
         Report(kDsnType,
                {Status("Final-Recipient: rfc822; postmaster\nOriginal-Recipient: rfc822; d@w.org\n"
                        "Action: failed\nStatus: 5.0.0\n\nFinal-Recipient: x400; c=de;a=x\nAction: failed\n"
                        "Status: 5.0.0\n")}),
         true, "d@w.org|soft bounce|?|5.0.0"},
        {"status part in base64",
         Report(kDsnType,
                {"Content-Type: message/delivery-status\nContent-Transfer-Encoding: base64\n\n"
                 "RmluYWwtUmVjaXBpZW50OiByZmM4MjI7IGVAdi5vcmcKQWN0aW9uOiBmYWlsZWQKU3RhdHVzOiA1\nLjIuMQo=\n"}),
         true, "e@v.org|soft bounce|?|5.2.1"},
        {"NUL and tab in the diagnostic",
         Report(kDsnType,
                {Status("Final-Recipient: rfc822; f@u.org\nAction: failed\nStatus: 5.7.1\n"
                        "Diagnostic-Code: smtp; 554" +
                        std::string(1, '\0') + "\tdenied\n")}),
         true, "f@u.org|refused by policy|?|5.7.1 smtp; 554 denied"},
        {"complaint",
         Report(arf, {feedback + "Original-Rcpt-To: <Ann@X.org>\n", Returned("message/rfc822", kOurs)}), true,
         "ann@x.org|complaint|yes|abuse"},
        {"DMARC failure report: shown, never a complaint",
         Report(arf,
                {"Content-Type: message/feedback-report\n\nFeedback-Type: auth-failure\nAuth-Failure: dmarc\n"
                 "Original-Rcpt-To: <ann@x.org>\n",
                 Returned("message/rfc822", kOurs)}),
         true, "ann@x.org|report|yes|auth-failure"},
        {"opt-out report",
         Report(arf,
                {"Content-Type: message/feedback-report\n\nFeedback-Type: opt-out\nRemoval-Recipient: "
                 "Ann@X.org\n"}),
         true, "ann@x.org|unsubscribed|?|opt-out"},
        {"in a multipart/mixed, without report-type, odd type, quoted local part, expired",
         Report("Content-Type: multipart/mixed; boundary=B1",
                {Status("Final-Recipient: rfc/822; \"ann\"@x.org\nAction: expired\nStatus: 4.4.7\n")}),
         true, "ann@x.org|soft bounce|?|4.4.7"},
        {"forwarded inside a message/rfc822",
         "From: ann@acme.com\nTo: press@acme.com\nSubject: Fwd: bounce\nContent-Type: multipart/mixed; "
         "boundary=F\n\n--F\nContent-Type: text/plain\n\nSee below.\n--F\nContent-Type: message/rfc822\n\n" +
             Report(kDsnType, {Status(kUserUnknown)}) + "\n--F--\n",
         true, "x@y.org|hard bounce|?|5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown"},
        {"Exim in words, with X-Failed-Recipients",
         "From: Mail Delivery System <Mailer-Daemon@mx.acme.com>\nTo: press@acme.com\nX-Failed-Recipients: "
         "gone@x.org\nSubject: Mail delivery failed\n\nThis message was created automatically.\n\n  "
         "gone@x.org\n    SMTP error from remote mail server after RCPT TO:<gone@x.org>:\n    550 5.1.1 "
         "<gone@x.org>: Recipient address rejected: User unknown\n\n------ This is a copy of the message, "
         "including all the headers. ------\n\nMessage-ID: " +
             kOurs + "\nTo: gone@x.org\nSubject: Notely 2.1\n\nHello.\n",
         true, "gone@x.org|hard bounce|yes|550 5.1.1 <gone@x.org>: Recipient address rejected: User unknown"},
        {"in words, a full mailbox beside the address",
         "From: MAILER-DAEMON@mx.acme.com\nTo: press@acme.com\nSubject: failure notice\n\n<full@x.org>:\n"
         "550 5.1.1 user unknown, or rather: mailbox full\n",
         true, "full@x.org|soft bounce|?|550 5.1.1 user unknown, or rather: mailbox full"},
        {"complaint, receiver from the returned To",
         Report(arf, {feedback, Returned("text/rfc822-headers", "<1@other.org>")}), true,
         "ann@x.org|complaint|no|abuse"},
        {"unsubscribe",
         Unsubscribe("To: Press <Press@Acme.com>\nSubject: UNSUBSCRIBE \nIn-Reply-To: " + kOurs), true,
         "ann@x.org|unsubscribed|yes|subject: unsubscribe"},
        {"unsubscribe, encoded word, Cc",
         Unsubscribe(
             "To: other@acme.com\nCc: press@acme.com\nSubject: =?UTF-8?Q?Unsub?=\n =?utf-8?B?c2NyaWJl?="),
         true, "ann@x.org|unsubscribed|?|subject: unsubscribe"},
        {"unsubscribe to another address", Unsubscribe("To: sales@acme.com\nSubject: unsubscribe"), false,
         ""},
        {"plain reply", Unsubscribe("To: press@acme.com\nSubject: Re: Notely 2.1\nIn-Reply-To: " + kOurs),
         false, ""},
        {"read receipt",
         Report("Content-Type: multipart/report; report-type=disposition-notification; boundary=B1",
                {Status(kUserUnknown)}),
         false, ""},
        {"boundary never closed", Report(kDsnType, {Status(kUserUnknown)}, false), true,
         "x@y.org|hard bounce|?|5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown"},
        // A bounce all the same, though nobody it names can be read.
        {"boundary missing",
         Report("Content-Type: multipart/report; report-type=delivery-status", {Status(kUserUnknown)}), true,
         ""},
        {"a line that only ends in the boundary", Report(kDsnType, {Status("x-B1\n\n" + kUserUnknown)}), true,
         "x@y.org|hard bounce|?|5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown"},
        {"inside three multiparts", Nested(3, Report(kDsnType, {Status(kUserUnknown)})), true,
         "x@y.org|hard bounce|?|5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown"},
        {"inside forty multiparts", Nested(40, Report(kDsnType, {Status(kUserUnknown)})), false, ""},
    };
    for (const Row& row : rows) {
        const ReplyVerdict verdict = ReadReplyMessage(row.message, kSender);
        EXPECT_EQ(verdict.recognised, row.recognised) << row.name;
        EXPECT_EQ(FindingsText(verdict), row.findings) << row.name;
    }
}

TEST(ReplyReportTest, ReportIdDateAndAnsweredMessageAreKept)
{
    const ReplyVerdict exim = ReadReplyMessage(
        FileText(VANTREL_TEST_SUPPORT_DIR "/../fuzz/corpus/replies/exim-failed.eml"), kSender);
    EXPECT_EQ(exim.reportId, "E1xaqaQ-0008Ie-34@mta.vantrel.test");
    ASSERT_EQ(exim.findings.size(), 1u);
    EXPECT_EQ(exim.findings[0].when, 1796718610);
    EXPECT_EQ(exim.findings[0].messageId, "0a1b2c3d4e5f6789.3.vantrel@vantrel.test");

    struct Row {
        const char* date;
        std::time_t when;
    };
    const Row rows[] = {
        {"Tue, 8 Dec 2026 08:00:00 +0100", 1796713200},
        {"8 Dec 26 08:00 EST", 1796734800},
        {"Tue,  08 Dec 2026 08:30:10 +0000 (UTC)", 1796718610},
        {"29 Feb 2028 23:59:59 -0230", 1835490599},
        {"29 Feb 2027 23:59:59 -0230", 0},
        {"Tue, 8 Dec 2026 24:00:00 +0000", 0},
        {"Tue, 8 Dec 2026", 0},
        {"yesterday", 0},
        {"", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ReadMailDate(row.date), row.when) << row.date;
}

// Mail from strangers: whatever its size or shape, it reads to the end.
TEST(ReplyReportTest, LargeAndDamagedReportsReadWhole)
{
    std::string blocks;
    for (int i = 0; i < 10000; ++i)
        blocks +=
            "Final-Recipient: rfc822; r" + std::to_string(i) + "@x.org\nAction: delayed\nStatus: 4.4.7\n\n";
    const ReplyVerdict delays = ReadReplyMessage(Report(kDsnType, {Status(blocks)}), kSender);
    EXPECT_EQ(delays.findings.size(), 0u);
    EXPECT_EQ(delays.alsoNamed.size(), 10000u);
    // Each message of ours has one receiver: a report naming thousands
    // applies to the one its returned message was sent to, or to none.
    std::string dead;
    for (int i = 0; i < 2000; ++i)
        dead +=
            "Final-Recipient: rfc822; r" + std::to_string(i) + "@x.org\nAction: failed\nStatus: 5.1.1\n\n";
    EXPECT_EQ(ReadReplyMessage(Report(kDsnType, {Status(dead)}), kSender).findings.size(), 0u);
    EXPECT_EQ(FindingsText(ReadReplyMessage(Report(kDsnType,
                                                   {Status(dead +
                                                           "Final-Recipient: rfc822; ann@x.org\nAction: "
                                                           "failed\nStatus: 5.1.1\n"),
                                                    Returned("message/rfc822", kOurs)}),
                                            kSender))
                  .substr(0, 33),
              "ann@x.org|hard bounce|yes|5.1.1; ");

    const std::string dashes(8 << 20, '-');
    const std::string longLine =
        Report(kDsnType, {"Content-Type: text/plain\n\n" + dashes, Status(kUserUnknown)});
    EXPECT_EQ(ReadReplyMessage(longLine, kSender).findings.size(), 1u);
    const std::string noBreak = kDsnType + "\n\n--B1\n" + dashes;
    EXPECT_FALSE(ReadReplyMessage(noBreak, kSender).recognised);
    EXPECT_FALSE(ReadReplyMessage(std::string(4 << 20, '\n'), kSender).recognised);
}

ReplyVerdict Verdict(const std::string& reportId, const std::string& address, ReplyKind kind,
                     OurMessage ours = OurMessage::Yes)
{
    ReplyVerdict verdict;
    verdict.recognised = true;
    verdict.reportId = reportId;
    ReplyFinding finding;
    finding.address = address;
    finding.kind = kind;
    finding.evidence = reportId + " evidence";
    finding.ours = ours;
    verdict.findings.push_back(finding);
    return verdict;
}

// A report whose returned message was not known as ours, with what its
// returned headers say.
ReplyVerdict Returned(const std::string& reportId, const std::string& to, const std::string& subject,
                      std::time_t date)
{
    ReplyVerdict verdict = Verdict(reportId, "a@x.org", ReplyKind::HardBounce, OurMessage::No);
    verdict.findings.front().returnedTo = to;
    verdict.findings.front().returnedSubject = subject;
    verdict.findings.front().returnedDate = date;
    return verdict;
}

TEST(ReplyReportTest, TallyKeepsOneFindingPerReceiver)
{
    const ReplyKind soft = ReplyKind::SoftBounce, hard = ReplyKind::HardBounce;
    struct Row {
        const char* name;
        std::vector<std::pair<ReplyVerdict, std::string>> taken;  // verdict, message bytes
        std::string findings;  // "address|kind|evidence"
        std::size_t others, notOurs;
    };
    const ReplyKind policy = ReplyKind::Refused;
    constexpr std::time_t kSent = 1796644800;  // 2026-12-07 12:00 UTC
    const ReplyVerdict other = [] {
        ReplyVerdict verdict;
        verdict.other = OtherReply{"Ann <ann@paper.example>", "Review copy?", 0, "Could I have a licence?"};
        return verdict;
    }();
    const Row rows[] = {
        {"three soft from three reports",
         {{Verdict("r1", "a@x.org", soft), "1"},
          {Verdict("r2", "a@x.org", soft), "2"},
          {Verdict("r3", "a@x.org", soft), "3"}},
         "a@x.org|hard bounce|r3 evidence (3 soft bounces)",
         0,
         0},
        {"one report three times",
         {{Verdict("r1", "a@x.org", soft), "1"},
          {Verdict("r1", "a@x.org", soft), "1"},
          {Verdict("r1", "a@x.org", soft), "1"}},
         "a@x.org|soft bounce|r1 evidence",
         0,
         0},
        {"without ids, the bytes tell",
         {{Verdict("", "a@x.org", soft), "1"},
          {Verdict("", "a@x.org", soft), "1"},
          {Verdict("", "a@x.org", soft), "2"}},
         "a@x.org|soft bounce| evidence",
         0,
         0},
        {"hard outweighs soft, either order",
         {{Verdict("r1", "a@x.org", hard), "1"},
          {Verdict("r2", "a@x.org", soft), "2"},
          {Verdict("r3", "b@x.org", soft), "3"},
          {Verdict("r4", "b@x.org", ReplyKind::Unsubscribe), "4"}},
         "a@x.org|hard bounce|r1 evidence; b@x.org|unsubscribed|r4 evidence",
         0,
         0},
        {"not ours and other replies counted; a receiver the release went to is ours without an id",
         {{Verdict("r1", "z@x.org", hard, OurMessage::No), "1"},
          {ReplyVerdict{}, "plain"},
          {other, "other"},
          {Verdict("r2", "b@x.org", hard, OurMessage::Unknown), "2"},
          {Verdict("r3", "c@x.org", hard, OurMessage::Unknown), "3"}},
         "b@x.org|hard bounce|r2 evidence",
         2,
         2},
        {"policy never adds up to a hard bounce, nor outweighs one",
         {{Verdict("r1", "a@x.org", policy), "1"},
          {Verdict("r2", "a@x.org", policy), "2"},
          {Verdict("r3", "a@x.org", policy), "3"},
          {Verdict("r4", "b@x.org", hard), "4"},
          {Verdict("r5", "b@x.org", policy), "5"}},
         "a@x.org|refused by policy|r3 evidence; b@x.org|hard bounce|r4 evidence",
         0,
         0},
        // The Message-ID replaced on the way: the returned headers tell.
        {"returned headers that match what was sent",
         {{Returned("r1", "a@x.org", "Notely 2.1", kSent - 3600), "1"}},
         "a@x.org|hard bounce|r1 evidence",
         0,
         0},
        {"returned to someone else, under another subject, or long after the send",
         {{Returned("r1", "z@x.org", "Notely 2.1", kSent), "1"},
          {Returned("r2", "a@x.org", "Something else", kSent), "2"},
          {Returned("r3", "a@x.org", "Notely 2.1", kSent + 3 * 24 * 3600), "3"}},
         "",
         0,
         3},
    };
    SentRelease sent;
    sent.receivers = {"a@x.org", "b@x.org"};
    sent.subjects = {"Notely 2.1"};
    sent.firstSent = kSent;
    sent.lastSent = kSent;
    for (const Row& row : rows) {
        ReplyTally tally(sent);
        for (const auto& [verdict, message] : row.taken)
            tally.Take(verdict, message);
        const ReplySummary summary = tally.Summary();
        std::string text;
        for (const ReplyFinding& f : summary.findings)
            text += (text.empty() ? "" : "; ") + f.address + "|" + ReplyKindText(f.kind) + "|" + f.evidence;
        EXPECT_EQ(text, row.findings) << row.name;
        EXPECT_EQ(summary.otherCount, row.others) << row.name;
        EXPECT_EQ(summary.notOurs, row.notOurs) << row.name;
        EXPECT_EQ(summary.Read(), row.taken.size()) << row.name;
    }
}

}  // namespace
