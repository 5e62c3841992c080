// The rows of the command line's table that need what Windows lacks:
// Debian's Python mail server (smtp_server.py, which a Windows program
// under Wine cannot start) and /dev/full.
#include <cstdlib>

#include "CliTesting.h"
#include "LocalSmtpServer.h"

namespace {

TEST_F(CliTest, SendSaysWhoGotItAndEndsWithItsStatus)
{
    LocalSmtpServer mail(Path("mail"), {"--script", "bad@y.org=550"});
    LocalSmtpServer login(Path("login"), {"--auth", "ann:s3cret"});
    FormValues form = complete;
    form.receivers = "a@x.org, bad@y.org A@X.ORG nodomain@\n";
    WriteFileBytes(Path("send.pre"), WriteDocumentBytes(form, 0));
    WriteFileBytes(Path("password"), "s3cret\nnot this line");
    setenv("VANTREL_SMTP_PASSWORD", "wrong", 1);
    const std::string server = "--server=" + mail.Url(), document = Path("send.pre");
    const std::string offline =
        "vantrel-cli: the web page and the image were not downloaded (--no-network)\n";
    const std::string skipped = offline + "skipped \"nodomain@\": has no domain\n";
    const std::string refused = "refused bad@y.org: 550 5.1.1 <bad@y.org>: no such user here\n";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string err;
        std::vector<std::string> received;  // by both servers, so far
    };
    const Case cases[] = {
        {{"send", "--no-network", "--rate=0", server, document},
         4,
         skipped + "sent a@x.org\n" + refused +
             "vantrel-cli: 1 sent, 0 had it already, 1 refused, 0 left to send, 1 skipped (no address)\n",
         {"a@x.org"}},
        {{"send", "--no-network", "--rate=0", server, document},
         4,
         skipped + "already sent a@x.org\n" + refused +
             "vantrel-cli: 0 sent, 1 had it already, 1 refused, 0 left to send, 1 skipped (no address)\n",
         {"a@x.org"}},
        {{"send", "--no-network", "--rate=0", "--again", server, document},
         4,
         skipped + "sent a@x.org\n" + refused +
             "vantrel-cli: 1 sent, 0 had it already, 1 refused, 0 left to send, 1 skipped (no address)\n",
         {"a@x.org", "a@x.org"}},
        {{"send", "--no-network", "--server=" + login.Url(), "--user=ann",
          "--password-file=" + Path("password"), "--test-to=me@z.org", document},
         0,
         skipped +
             "sent me@z.org\nvantrel-cli: 1 sent, 0 had it already, 0 refused, 0 left to send, 1 skipped "
             "(no address)\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"send", "--no-network", "--server=" + login.Url(), "--user=ann", document},
         4,
         skipped +
             "already sent a@x.org\nnot sent bad@y.org: authentication failed: 535 5.7.8 Authentication "
             "credentials invalid\nvantrel-cli: 0 sent, 1 had it already, 0 refused, 1 left to send, 1 skipped "
             "(no address)\nvantrel-cli: stopped: authentication failed: 535 5.7.8 Authentication credentials "
             "invalid\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"send", "--no-network", server, Path("failing.pre")},
         1,
         offline + "vantrel-cli: nothing was sent: the form fails its check\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"send", "--no-network", document},
         2,
         skipped + "vantrel-cli: no mail server: give --server=URL, or set it in the window\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"send", "--no-network", "--server=http://127.0.0.1", document},
         2,
         skipped + "vantrel-cli: the server URL begins with smtps:// or smtp://\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"send", "--no-network", server, "--from=Press <press@>", document},
         2,
         offline + "vantrel-cli: the sender \"press@\" has no domain\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"send", "--rate=fast", document},
         2,
         "vantrel-cli: the rate is a whole number of messages per minute from 0 to 6000 (see vantrel-cli --help)\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"check", "--again", document},
         2,
         "vantrel-cli: --again belongs to send (see vantrel-cli --help)\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const CliRun run = RunCli(home, c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.status == 1 ? "Please fill in the product name.\n" : "");
        EXPECT_EQ(run.err, c.err);
        std::vector<std::string> received = mail.Receivers();
        for (const std::string& receiver : login.Receivers())
            received.push_back(receiver);
        EXPECT_EQ(received, c.received);
    }
    unsetenv("VANTREL_SMTP_PASSWORD");

    const CliRun dry = RunCli(home, {"send", "--no-network", "--dry-run", document});
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.out.substr(0, 66),
              "a@x.org\nbad@y.org\n\nFrom: \"Ann Lee\" <ann@x.org>\r\nTo: a@x.org\r\nSubje");
    EXPECT_NE(dry.out.find("\r\n\r\nFor Immediate Release\r\n"), std::string::npos);
}

TEST_F(CliTest, SendKilledHalfWayResumesWithNobodyTwiceAndNobodyMissing)
{
    LocalSmtpServer mail(Path("mail"), {"--script", "r4@x.org=hang"});
    FormValues form = complete;
    form.receivers = "r1@x.org r2@x.org r3@x.org r4@x.org r5@x.org r6@x.org";
    WriteFileBytes(Path("six.pre"), WriteDocumentBytes(form, 0));
    const std::vector<std::string> arguments = {"send", "--no-network", "--rate=0", "--server=" + mail.Url(),
                                                Path("six.pre")};
    const ChildProcess first = StartCli(home, arguments);
    EXPECT_EQ(mail.WaitForLine("hanging"), "hanging r4@x.org");
    KillProcess(first);
    EXPECT_EQ(FinishCli(home, first).status, -1);
    EXPECT_EQ(mail.Receivers(), (std::vector<std::string>{"r1@x.org", "r2@x.org", "r3@x.org"}));

    const CliRun second = RunCli(home, arguments);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(
        mail.Receivers(),
        (std::vector<std::string>{"r1@x.org", "r2@x.org", "r3@x.org", "r4@x.org", "r5@x.org", "r6@x.org"}));
}

// A script must not ship an empty file: output that cannot be written fails.
TEST_F(CliTest, OutputThatCannotBeWrittenFails)
{
    const CliRun run = RunCli(home, {"release", Path("complete.pre")}, "", VANTREL_CLI, "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "vantrel-cli: cannot write the output\n");
}

}  // namespace
