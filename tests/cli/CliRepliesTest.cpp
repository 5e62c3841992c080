// The press list keeps itself clean from the command line: replies read
// from a Maildir, recorded with --apply, the list kept by hand, and a send
// that leaves the listed out. Linux only: the send needs Debian's Python
// mail server.
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "CliTesting.h"
#include "LocalSmtpServer.h"

namespace {

std::string Report(const std::string& id, const std::string& date, const std::string& recipient,
                   const std::string& action, const std::string& status, const std::string& aboutId)
{
    return "From: Mail Delivery System <Mailer-Daemon@mta.test>\nTo: ann@x.org\n"
           "Subject: Mail delivery failed: returning message to sender\nDate: " +
        date + "\nMessage-Id: <" + id +
        "@mta.test>\nMIME-Version: 1.0\n"
        "Content-Type: multipart/report; report-type=delivery-status; boundary=\"B\"\n\n"
        "--B\nContent-Type: text/plain\n\nThis message was created automatically.\n\n"
        "--B\nContent-Type: message/delivery-status\n\nReporting-MTA: dns; mta.test\n\n"
        "Action: " +
        action + "\nFinal-Recipient: rfc822;" + recipient + "\nStatus: " + status +
        "\nDiagnostic-Code: smtp; " + (status[0] == '5' ? "550 " : "451 ") + status +
        " mailbox says no\n\n--B\nContent-Type: text/rfc822-headers\n\nMessage-ID: <" + aboutId +
        ">\nFrom: ann@x.org\nTo: " + recipient + "\n\n--B--\n";
}

std::string Today()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
}

std::vector<std::string> Folder(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
        names.push_back(entry.path().string() + " " + ReadFileBytes(entry.path().string()).substr(0, 40));
    std::sort(names.begin(), names.end());
    return names;
}

// Six messages: a hard bounce, two soft ones, a report about other mail,
// an unsubscribe request and a friendly reply.
void FillMaildir(const std::string& maildir)
{
    for (const char* sub : {"/cur", "/new", "/tmp"})
        std::filesystem::create_directories(maildir + sub);
    const std::string ours = "0123456789abcdef.2.vantrel@x.org", date = "Mon, 07 Dec 2026 12:00:00 +0000";
    const std::pair<std::string, std::string> messages[] = {
        {"/cur/1.m:2,S", Report("r1", date, "gone@x.org", "failed", "5.1.1", ours)},
        {"/cur/2.m:2,", Report("r2", date, "slow@x.org", "delayed", "4.2.2", ours)},
        {"/new/3.m", Report("r3", date, "slow@x.org", "failed", "4.2.2", ours)},
        {"/new/4.m", Report("r4", date, "stranger@y.org", "failed", "5.1.1", "other.1@y.org")},
        {"/new/5.m",
         "From: Bob <bob@x.org>\nTo: ann@x.org\nSubject: Unsubscribe\nDate: " + date +
             "\nMessage-ID: <u1@x.org>\n\nPlease stop.\n"},
        {"/new/6.m",
         "From: Friend <f@x.org>\nTo: ann@x.org\nSubject: Congratulations\nDate: " + date +
             "\n\nNice release!\n"},
    };
    for (const auto& [name, text] : messages)
        WriteFileBytes(maildir + name, text);
}

const std::string kFindings = "gone@x.org\thard bounce\t2026-12-07\t5.1.1 smtp; 550 5.1.1 mailbox says no\n"
                              "slow@x.org\tsoft bounce\t2026-12-07\t4.2.2 smtp; 451 4.2.2 mailbox says no\n"
                              "bob@x.org\tunsubscribed\t2026-12-07\tsubject: unsubscribe\n";
const std::string kReceivers = "a@x.org; gone@x.org; slow@x.org; Bob <bob@x.org>; loud@x.org";

TEST_F(CliTest, RepliesComeBackIntoTheListAndTheNextSendLeavesThemOut)
{
    FormValues form = complete;
    form.receivers = kReceivers;
    WriteFileBytes(Path("list.pre"), WriteDocumentBytes(form, 0));
    const std::string maildir = Path("Maildir");
    FillMaildir(maildir);
    const std::vector<std::string> before = Folder(maildir);
    const std::string read =
        "vantrel-cli: Messages read: 6: 3 reports, 1 unsubscribe request, 1 other reply, "
        "1 about other mail; 3 about the receivers\n";
    const std::string& findings = kFindings;
    const std::string listed = "gone@x.org\tbounced on 2026-12-07: 5.1.1 smtp; 550 5.1.1 mailbox says no\n"
                               "bob@x.org\tasked not to receive on 2026-12-07\n";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {{"dont-send", "list", Path("list.pre")}, 0, "", ""},
        {{"replies", "--maildir=" + maildir, Path("list.pre")}, 0, findings, read},
        {{"dont-send", "list", "--from=ann@x.org"}, 0, "", ""},
        {{"replies", "--maildir=" + maildir, "--apply", Path("list.pre")},
         0,
         findings,
         read + "vantrel-cli: 2 addresses on the do-not-send list\n"},
        {{"dont-send", "list", Path("list.pre")}, 0, listed, ""},
        {{"dont-send", "add", "Loud@X.org", "--from=Ann <ann@x.org>"}, 0, "", ""},
        {{"dont-send", "list", "--from=ann@x.org"},
         0,
         listed + "loud@x.org\ttaken off by hand on " + Today() + "\n",
         ""},
        {{"dont-send", "remove", "loud@x.org", Path("list.pre")}, 0, "", ""},
        {{"dont-send", "remove", "loud@x.org", Path("list.pre")},
         1,
         "",
         "vantrel-cli: loud@x.org is not on the do-not-send list\n"},
        {{"dont-send", "add", "loud@", Path("list.pre")}, 2, "", "vantrel-cli: \"loud@\" has no domain\n"},
        {{"dont-send", "list", "--from=ann@x.org", Path("list.pre")},
         2,
         "",
         "vantrel-cli: dont-send takes a document or --from=SENDER, not both (see vantrel-cli --help)\n"},
        {{"dont-send", "forget", "a@x.org", Path("list.pre")},
         2,
         "",
         "vantrel-cli: dont-send needs list, add ADDRESS or remove ADDRESS, not \"forget\" (see vantrel-cli "
         "--help)\n"},
        {{"replies", "--maildir=" + maildir, "--mbox=" + Path("mbox"), Path("list.pre")},
         2,
         "",
         "vantrel-cli: replies reads one of --server, --maildir and --mbox (see vantrel-cli --help)\n"},
        {{"check", "--apply", Path("list.pre")},
         2,
         "",
         "vantrel-cli: --apply belongs to replies (see vantrel-cli --help)\n"},
        {{"replies", Path("list.pre")},
         2,
         "",
         "vantrel-cli: no mailbox to read: give --server=URL, --maildir=DIR or --mbox=FILE, or set the replies "
         "server in the window\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const CliRun run = RunCli(home, c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_EQ(Folder(maildir), before) << "reading replies changes nothing in the mailbox";

    LocalSmtpServer mail(Path("mail"));
    const CliRun sent =
        RunCli(home, {"send", "--no-network", "--rate=0", "--server=" + mail.Url(), Path("list.pre")});
    EXPECT_EQ(sent.status, 0) << sent.err;
    EXPECT_EQ(mail.Receivers(), (std::vector<std::string>{"a@x.org", "slow@x.org", "loud@x.org"}));
    EXPECT_NE(
        sent.err.find("skipped \"gone@x.org\": bounced on 2026-12-07: 5.1.1 smtp; 550 5.1.1 mailbox says no\n"
                      "skipped \"bob@x.org\": asked not to receive on 2026-12-07\n"),
        std::string::npos)
        << sent.err;
    EXPECT_NE(sent.err.find(", 2 on the do-not-send list\n"), std::string::npos) << sent.err;
    const std::string message = mail.Messages().front();
    EXPECT_NE(message.find("List-Unsubscribe: <mailto:ann@x.org?subject=unsubscribe>\r\n"),
              std::string::npos);
}

// The same replies in the sender's IMAP mailbox (Debian's dovecot), read
// over TLS with the password send takes; the flags stay as they were.
TEST_F(CliTest, RepliesAreReadFromTheMailServerWithoutMarkingAnything)
{
    if (access("/usr/sbin/dovecot", X_OK) != 0)
        GTEST_SKIP() << "dovecot is not installed (dovecot-imapd)";
    FormValues form = complete;
    form.receivers = kReceivers;
    WriteFileBytes(Path("list.pre"), WriteDocumentBytes(form, 0));
    FillMaildir(Path("imap/Maildir"));
    LocalSmtpServer imap(Path("imap"), {}, VANTREL_TEST_SUPPORT_DIR "/imap_server.py");
    const std::string tls = imap.WaitForLine("tlsport ").substr(8), ca = imap.WaitForLine("ca ").substr(3);
    const std::string flags = "/usr/bin/python3 " VANTREL_TEST_SUPPORT_DIR "/imap_server.py --flags " +
        std::to_string(imap.port()) + " reader secret > " + Path("flags");
    ASSERT_EQ(std::system(flags.c_str()), 0);
    const std::string before = ReadFileBytes(Path("flags"));
    WriteFileBytes(Path("password"), "secret\n");
    const CliRun run = RunCli(home,
                              {"replies", "--server=imaps://127.0.0.1:" + tls, "--user=reader",
                               "--cacert=" + ca, "--password-file=" + Path("password"), Path("list.pre")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kFindings);
    ASSERT_EQ(std::system(flags.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(Path("flags")), before);
    EXPECT_NE(before.find("\\Seen"), std::string::npos) << "the flags of a read message are there to compare";

    WriteFileBytes(Path("password"), "wrong\n");
    const CliRun refused =
        RunCli(home,
               {"replies", "--server=imaps://127.0.0.1:" + tls, "--user=reader", "--cacert=" + ca,
                "--password-file=" + Path("password"), Path("list.pre")});
    EXPECT_EQ(refused.status, 4);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("vantrel-cli: the mailbox was not read to its end: "), std::string::npos)
        << refused.err;
}

// Amazon SES and others replace the Message-ID: the bounce is still known
// by the ledger's receiver, subject and time, and one under another
// subject is about other mail.
TEST_F(CliTest, ABounceWhoseMessageIdWasReplacedIsKnownByTheLedger)
{
    FormValues form = complete;
    form.receivers = "gone@x.org, kept@x.org";
    WriteFileBytes(Path("ses.pre"), WriteDocumentBytes(form, 0));
    LocalSmtpServer mail(Path("mail"));
    ASSERT_EQ(
        RunCli(home, {"send", "--no-network", "--rate=0", "--server=" + mail.Url(), Path("ses.pre")}).status,
        0);
    char date[64];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S +0000", std::gmtime(&now));
    const std::string maildir = Path("Maildir");
    for (const char* sub : {"/cur", "/new", "/tmp"})
        std::filesystem::create_directories(maildir + sub);
    for (const auto& [name, subject] :
         {std::pair("1.m", "Press release from Smith & Sons"), {"2.m", "Other news"}}) {
        std::string report =
            Report(name, date, "gone@x.org", "failed", "5.1.1", "0101-ses@email.amazonses.com");
        report.replace(report.find("To: gone@x.org\n\n"), 16,
                       std::string("To: gone@x.org\nSubject: ") + subject + "\nDate: " + date + "\n\n");
        WriteFileBytes(maildir + "/new/" + name, report);
    }
    const CliRun read = RunCli(home, {"replies", "--maildir=" + maildir, Path("ses.pre")});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out.substr(0, 22), "gone@x.org\thard bounce") << read.out;
    EXPECT_NE(read.err.find(
                  "Messages read: 2: 1 report, 0 unsubscribe requests, 0 other replies, 1 about other mail"),
              std::string::npos)
        << read.err;
}

}  // namespace
