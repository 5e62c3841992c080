// The rows of the command line's table that need what Windows lacks:
// Debian's Python mail server (smtp_server.py, which a Windows program
// under Wine cannot start) and /dev/full.
#include <cstdlib>
#include <filesystem>

#include "CliTesting.h"
#include "LocalSmtpServer.h"
#include "core/mail/SendLedger.h"

namespace {

TEST_F(CliTest, SendSaysWhoGotItAndEndsWithItsStatus)
{
    LocalSmtpServer mail(Path("mail"), {"--script", "bad@y.org=policy"});
    LocalSmtpServer login(Path("login"), {"--auth", "ann:s3cret"});
    FormValues form = complete;
    form.receivers = "a@x.org; bad@y.org;A@X.ORG; nodomain@\n";
    WriteFileBytes(Path("send.pre"), WriteDocumentBytes(form, 0));
    WriteFileBytes(Path("password"), "s3cret\nnot this line");
    setenv("VANTREL_SMTP_PASSWORD", "wrong", 1);
    const std::string server = "--server=" + mail.Url(), document = Path("send.pre");
    const std::string offline =
        "vantrel-cli: the web page and the image were not downloaded (--no-network)\n";
    const std::string skipped = offline + "skipped \"nodomain@\": has no domain\n";
    const std::string refused = "refused bad@y.org: 550 5.7.1 <bad@y.org>: relay access denied\n";
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
        {{"login", document},
         2,
         "vantrel-cli: login takes no document (see vantrel-cli --help)\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"login", "--rate=3"},
         2,
         "vantrel-cli: --rate belongs to send (see vantrel-cli --help)\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"check", "--no-browser", document},
         2,
         "vantrel-cli: --no-browser belongs to login (see vantrel-cli --help)\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"login", "--provider=yahoo"},
         2,
         "vantrel-cli: --provider is microsoft, google or other (see vantrel-cli --help)\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"login", "--provider=google", "--user=ann@gmail.com"},
         2,
         "vantrel-cli: no client ID is registered for signing in with google: set GoogleOAuthClientId in the "
         "settings (the installation's or the user's)\n",
         {"a@x.org", "a@x.org", "me@z.org"}},
        {{"login", "--provider=other", "--server=" + mail.Url(), "--user=ann", "--client-id=c",
          "--authorize-url=https://id.example/a", "--token-url=http://id.example/t", "--scope=mail"},
         2,
         "vantrel-cli: the token URL begins with https:// (http only to this machine)\n",
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
    WriteFileBytes(Path("six.pre"), WriteDocumentBytes(form, 2));
    const std::vector<std::string> arguments = {"send", "--no-network", "--rate=0", "--server=" + mail.Url(),
                                                Path("six.pre")};
    const ChildProcess first = StartCli(home, arguments);
    EXPECT_EQ(mail.WaitForLine("hanging"), "hanging r4@x.org");
    KillProcess(first);
    EXPECT_EQ(FinishCli(home, first).status, -1);
    EXPECT_EQ(mail.Receivers(), (std::vector<std::string>{"r1@x.org", "r2@x.org", "r3@x.org"}));

    // The server may have taken r4's message: it waits for the user's word.
    const CliRun second = RunCli(home, arguments);
    EXPECT_EQ(second.status, 4) << second.err;
    EXPECT_NE(second.err.find("in doubt r4@x.org: in doubt since an earlier run\n"), std::string::npos);
    EXPECT_NE(
        second.err.find("vantrel-cli: 2 sent, 3 had it already, 0 refused, 1 in doubt, 0 left to send\n"),
        std::string::npos)
        << "no skipped part when nothing was skipped";
    EXPECT_EQ(mail.Receivers(),
              (std::vector<std::string>{"r1@x.org", "r2@x.org", "r3@x.org", "r5@x.org", "r6@x.org"}));
    std::vector<std::string> again = arguments;
    again.insert(again.begin() + 1, "--again-in-doubt");
    const CliRun third = RunCli(home, again);
    EXPECT_EQ(third.status, 0) << third.err;
    EXPECT_EQ(
        mail.Receivers(),
        (std::vector<std::string>{"r1@x.org", "r2@x.org", "r3@x.org", "r5@x.org", "r6@x.org", "r4@x.org"}));
}

// Two runs of one release at once: the second sends nothing. A changed
// text waits for --changed; the report names who was not reached.
TEST_F(CliTest, SendTheSecondRunTheChangedTextAndTheReport)
{
    LocalSmtpServer mail(Path("mail"), {"--script", "r2@x.org=hang", "--script", "bad@x.org=550"});
    FormValues form = complete;
    form.receivers = "r1@x.org\nRay Two <r2@x.org>\n\"Bad, Really\" <bad@x.org>\njohn doe@x.org\n";
    WriteFileBytes(Path("list.pre"), WriteDocumentBytes(form, 3));
    const std::string server = "--server=" + mail.Url();
    const ChildProcess first = StartCli(home, {"send", "--no-network", "--rate=0", server, Path("list.pre")});
    EXPECT_EQ(mail.WaitForLine("hanging"), "hanging r2@x.org");
    const CliRun busy = RunCli(home, {"send", "--no-network", "--rate=0", server, Path("list.pre")});
    EXPECT_EQ(busy.status, 4);
    EXPECT_NE(busy.err.find("vantrel-cli: a send of this release is already running; nothing was sent\n"),
              std::string::npos);
    KillProcess(first);
    FinishCli(home, first);
    EXPECT_EQ(mail.Receivers(), std::vector<std::string>{"r1@x.org"});

    WriteFileBytes(Path("note"), "Embargo until Monday.\n");
    struct Case {
        std::vector<std::string> options;
        int status;
        std::string errHas;
        std::vector<std::string> received;
    };
    const Case cases[] = {
        {{"--note-file=" + Path("note")},
         4,
         "vantrel-cli: 1 receiver already got an earlier text of this release (last sent ",
         {"r1@x.org"}},
        {{"--note-file=" + Path("note"), "--changed=rest", "--report=" + Path("report.csv")},
         4,
         "vantrel-cli: 0 sent, 0 had it already, 1 got an earlier text, 1 refused, 1 in doubt, 0 left to send, 1 "
         "skipped (no address)\n",
         {"r1@x.org"}},
        // bad@x.org does not exist: the run before put it on the do-not-send list.
        {{"--changed=all", "--again-in-doubt"},
         0,
         "skipped \"bad@x.org\": refused when sending on ",
         {"r1@x.org", "r1@x.org", "r2@x.org"}},
        {{"--changed=maybe"}, 2, "vantrel-cli: --changed is rest or all (see vantrel-cli --help)\n", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"send", "--no-network", "--rate=0", server};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(Path("list.pre"));
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CliRun run = RunCli(home, arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.errHas), std::string::npos) << run.err;
        if (!c.received.empty()) {
            EXPECT_EQ(mail.Receivers(), c.received);
        }
    }
    EXPECT_EQ(ReadFileBytes(Path("report.csv")),
              "address,outcome,words\r\nr2@x.org,in doubt,in doubt since an earlier run\r\n"
              "bad@x.org,refused,550 5.1.1 <bad@x.org>: no such user here\r\n"
              "john doe@x.org,skipped,words before an address not in angle brackets\r\n");
    EXPECT_NE(mail.Messages().back().find("To: \"Ray Two\" <r2@x.org>\r\n"), std::string::npos);
    EXPECT_NE(mail.Messages().back().find("Embargo until Monday.\r\n\r\n"), std::string::npos)
        << "a resumed run keeps the note";
}

TEST_F(CliTest, SendCheckServerLogsInAndSendsNothing)
{
    LocalSmtpServer login(Path("login"), {"--auth", "ann:s3cret"});
    FormValues form = complete;
    form.receivers = "r1@x.org";
    form.companyName = std::string("Acme") + '\0' + " Evil";
    WriteFileBytes(Path("zero-byte.pre"), WriteDocumentBytes(form, 0));
    struct Case {
        std::string password;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"s3cret", 0, "connected and logged in; the server said: 235 2.7.0 Authentication successful\n"},
        {"wrong", 4, "authentication failed: 535 5.7.8 Authentication credentials invalid\n"},
    };
    // Option values that are not ASCII reach the program as they are typed.
    WriteFileBytes(Path("p\xC3\xA4ssword"), "s3cret\n");
    const CliRun named = RunCli(home,
                                {"send", "--check-server", "--server=" + login.Url(), "--user=ann",
                                 "--password-file=" + Path("p\xC3\xA4ssword"), Path("complete.pre")});
    EXPECT_EQ(named.status, 0) << named.err;
    const CliRun from = RunCli(
        home,
        {"send", "--dry-run", "--no-network", "--from=Zo\xC3\xAB Lee <zoe@x.org>", Path("complete.pre")});
    EXPECT_NE(from.out.find("From: =?UTF-8?B?Wm/DqyBMZWU=?= <zoe@x.org>\r\n"), std::string::npos) << from.out;
    for (const Case& c : cases) {
        setenv("VANTREL_SMTP_PASSWORD", c.password.c_str(), 1);
        const CliRun run = RunCli(
            home, {"send", "--check-server", "--server=" + login.Url(), "--user=ann", Path("complete.pre")});
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, "vantrel-cli: " + login.Url() + ": " + c.err);
    }
    unsetenv("VANTREL_SMTP_PASSWORD");
    EXPECT_TRUE(login.Receivers().empty());

    // A state folder that cannot be used: the do-not-send list or (under
    // Wine, where a missing folder reads as an empty list) the ledger says so,
    // and nothing goes.
    setenv("XDG_STATE_HOME", Path("complete.pre").c_str(), 1);
    const CliRun unkept =
        RunCli(home, {"send", "--no-network", "--server=" + login.Url(), Path("complete.pre")});
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(unkept.status, 4);
    EXPECT_TRUE(unkept.err.find(".dont-send cannot be read; nothing was sent\n") != std::string::npos ||
                unkept.err.find(".ledger cannot be opened; nothing was sent\n") != std::string::npos)
        << unkept.err;
    EXPECT_TRUE(login.Receivers().empty());

    const CliRun cut =
        RunCli(home, {"send", "--no-network", "--server=" + login.Url(), Path("zero-byte.pre")});
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(
        cut.err,
        "vantrel-cli: the document's Company name is cut at a zero byte: what follows it is left out; open the "
        "document in the window and save it again\nvantrel-cli: nothing was sent: the document holds a zero "
        "byte\n");
}

// The same people on every path: a list written with commas reaches all of
// it, a dead address refused while sending is listed and left out of the
// next release, the draft and the list, while a refusal for the sender's
// policy is not.
TEST_F(CliTest, SendReachesAPressListWithCommasAndMailsADeadAddressOnce)
{
    LocalSmtpServer mail(Path("mail"),
                         {"--script", "dead@y.example=550", "--script", "denied@y.example=policy"});
    FormValues form = complete;
    form.receivers = "bob@news.example, john@y.example, ann@paper.example,\nJane Doe <jane@x.example>, john "
                     "doe@typo.example, dead@y.example, denied@y.example";
    WriteFileBytes(Path("press.pre"), WriteDocumentBytes(form, 0));
    // The Windows program keeps one state folder for the whole suite.
    RunCli(home, {"dont-send", "remove", "dead@y.example", Path("press.pre")});
    const std::vector<std::string> send = {"send", "--no-network", "--rate=0", "--server=" + mail.Url(),
                                           Path("press.pre")};
    const CliRun first = RunCli(home, send);
    EXPECT_EQ(first.status, 4) << first.err;
    EXPECT_EQ(mail.Receivers(),
              (std::vector<std::string>{"bob@news.example", "john@y.example", "ann@paper.example",
                                        "jane@x.example"}));
    EXPECT_NE(first.err.find("vantrel-cli: put on the do-not-send list: dead@y.example: 550 5.1.1 "
                             "<dead@y.example>: no such user here\n"),
              std::string::npos)
        << first.err;

    const CliRun mailto = RunCli(home, {"mailto", Path("press.pre")});
    EXPECT_EQ(mailto.status, 0);
    EXPECT_NE(
        mailto.out.find("?bcc=bob@news.example;%20john@y.example;%20ann@paper.example;%20jane@x.example;"
                        "%20denied@y.example&"),
        std::string::npos)
        << mailto.out;
    EXPECT_EQ(mailto.out.find("doe@typo"), std::string::npos);
    EXPECT_EQ(mailto.err.rfind("vantrel-cli: left out \"john doe@typo.example\": words before an address not "
                               "in angle brackets\nvantrel-cli: left out dead@y.example: on the do-not-send "
                               "list, refused when sending on ",
                               0),
              0u)
        << mailto.err;

    const CliRun second = RunCli(home, send);
    EXPECT_EQ(second.status, 4) << second.err;
    EXPECT_NE(second.err.find("skipped \"dead@y.example\": refused when sending on "), std::string::npos);
    EXPECT_NE(second.err.find("refused denied@y.example: 550 5.7.1"), std::string::npos);
    EXPECT_EQ(mail.Receivers().size(), 4u) << "nobody twice, and dead@y.example never";
}

// A dry run shows the text the run would send; a list with no entry to
// send to fails; an earlier ledger that cannot be read stops the send.
TEST_F(CliTest, SendDryRunsTheKeptTextAndStopsWhereNothingCanGo)
{
    LocalSmtpServer mail(Path("mail"));
    FormValues form = complete;
    form.receivers = "r1@x.org";
    WriteFileBytes(Path("one.pre"), WriteDocumentBytes(form, 0));
    form.receivers = "nodomain@; john doe@x.org";
    WriteFileBytes(Path("none.pre"), WriteDocumentBytes(form, 0));
    const std::string server = "--server=" + mail.Url();
    // Where the version before kept this release's ledger ("Vantrel" as typed).
    const std::string before = LedgerPath(ExactReleaseLedgerId("ann@x.org", "Vantrel", "2.1"));
    // Its own path as the program names it (on Windows in %LOCALAPPDATA%).
    const std::string unreadable =
        ExactReleaseLedgerId("ann@x.org", "Vantrel", "2.1") + ".ledger cannot be opened; nothing was sent\n";
    struct Case {
        std::vector<std::string> options;
        std::string document;
        int status;
        std::string has;  // in standard output when 0, else in standard error
    };
    const Case cases[] = {
        {{server, "--subject=Kept subject"}, "one.pre", 0, ""},
        {{"--dry-run"}, "one.pre", 0, "\r\nSubject: Kept subject\r\n"},
        {{server}, "none.pre", 1, "\nvantrel-cli: no entry of the list can be sent to; nothing was sent\n"},
        {{server, "--again"}, "link", 4, unreadable},
        {{"--dry-run"}, "link", 4, unreadable},
    };
    for (const Case& c : cases) {
        // A folder in its place: no file that can be read, on either system.
        if (c.document == "link")
            std::filesystem::create_directory(before);
        std::vector<std::string> arguments = {"send", "--no-network", "--rate=0"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(Path(c.document == "link" ? "one.pre" : c.document));
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CliRun run = RunCli(home, arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE((c.status == 0 ? run.out : run.err).find(c.has), std::string::npos) << run.out << run.err;
        if (c.document == "link")
            std::filesystem::remove(before);
    }
    EXPECT_EQ(mail.Receivers(), std::vector<std::string>{"r1@x.org"});
}

// A script must not ship an empty file: output that cannot be written fails.
TEST_F(CliTest, OutputThatCannotBeWrittenFails)
{
    const CliRun run = RunCli(home, {"release", Path("complete.pre")}, "", VANTREL_CLI, "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "vantrel-cli: cannot write the output\n");
}

}  // namespace
