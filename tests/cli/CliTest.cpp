// The built vantrel-cli run as a script would run it: no display, a real
// document file (or standard input), standard output, standard error and
// exit status compared.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FormSamples.h"
#include "LocalHttpServer.h"
#include "LocalSmtpServer.h"
#include "TempHome.h"
#include "core/checks/CheckReport.h"
#include "core/documents/DocumentFormat.h"
#include "core/release/MailtoRequest.h"
#include "core/release/PressReleaseComposer.h"
#include "core/release/ReleaseFile.h"

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Starts vantrel-cli (or another program) with arguments, standard input
// from a file, standard output into out (a file of the sandbox when empty),
// and without DISPLAY in its environment.
pid_t StartCli(const TempHome& home, const std::vector<std::string>& arguments, const std::string& input = "",
               const char* program = VANTREL_CLI, std::string out = "")
{
    const std::string in = home.sandbox() + "/stdin", err = home.sandbox() + "/stderr";
    if (out.empty())
        out = home.sandbox() + "/stdout";
    WriteFileBytes(in, input);
    std::vector<char*> argv = {const_cast<char*>(program)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open(in.c_str(), O_RDONLY), 0);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// A device given as output is not read back.
CliRun FinishCli(const TempHome& home, pid_t pid, bool ownOut = true)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            ownOut ? ReadFileBytes(home.sandbox() + "/stdout") : "",
            ReadFileBytes(home.sandbox() + "/stderr")};
}

CliRun RunCli(const TempHome& home, const std::vector<std::string>& arguments, const std::string& input = "",
              const char* program = VANTREL_CLI, const std::string& out = "")
{
    return FinishCli(home, StartCli(home, arguments, input, program, out), out.empty());
}

class CliTest : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("no_proxy", "127.0.0.1", 1);
        server.ServeBody("/page.html", 3000);
        server.ServeBody("/press.png", 8000);
        complete = SampleForm();
        complete.productUrl = server.Url("/page.html");
        complete.imageUrl = server.Url("/press.png");
        complete.companyName = "Smith & Sons";
        complete.featuresText = "Takes notes fast and keeps them in sync everywhere.";
        WriteFileBytes(Path("complete.pre"), WriteDocumentBytes(complete, 3));
        FormValues failing = complete;
        failing.productName.clear();
        WriteFileBytes(Path("failing.pre"), WriteDocumentBytes(failing, 0));
        WriteFileBytes(Path("damaged.pre"), "7 Vantrel3 2.");
        FormValues deadImage = complete;
        deadImage.imageUrl = server.Url("/gone.png");
        WriteFileBytes(Path("dead-image.pre"), WriteDocumentBytes(deadImage, 0));
        FormValues atSigns = complete;
        atSigns.receivers = std::string(100000, '@');
        WriteFileBytes(Path("at-signs.pre"), WriteDocumentBytes(atSigns, 0));
    }

    std::string Path(const std::string& name) const { return home.sandbox() + "/" + name; }

    TempHome home;
    LocalHttpServer server;
    FormValues complete;
};

TEST_F(CliTest, CommandsDocumentsAndStatuses)
{
    const std::string release = ComposePressRelease(complete);
    struct Case {
        std::vector<std::string> arguments;
        std::string input;
        CliRun expected;
    };
    const Case cases[] = {
        {{"check", Path("complete.pre")}, "", {0, std::string(kCheckOkText) + "\n", ""}},
        {{"check", Path("dead-image.pre")},
         "",
         {1, "The image URL " + server.Url("/gone.png") + " doesn't respond.\n",
          ""}},  // no note: no terminal
        {{"check", "--verbose", Path("dead-image.pre")},
         "",
         {1, "The image URL " + server.Url("/gone.png") + " doesn't respond.\n",
          "vantrel-cli: " + server.Url("/gone.png") + ": the server answered HTTP 404\n"}},
        {{"release", "--verbose", Path("complete.pre")},
         "",
         {2, "", "vantrel-cli: --verbose belongs to check (see vantrel-cli --help)\n"}},
        {{"check", "--no-network", Path("failing.pre")},
         "",
         {1, "Please fill in the product name.\n",
          "vantrel-cli: the web page and the image were not downloaded (--no-network)\n"}},
        {{"release", Path("complete.pre")}, "", {0, release, ""}},
        {{"release", "--heading", "-"},
         ReadFileBytes(Path("complete.pre")),
         {0, ReleaseFileText("Smith & Sons", release), ""}},
        {{"receivers", Path("complete.pre")}, "", {0, "a@x.org\nb@y.org\n", ""}},
        {{"receivers", "--delimiter=comma", Path("complete.pre")}, "", {0, "a@x.org, b@y.org\n", ""}},
        {{"receivers", "--delimiter=space", Path("complete.pre")}, "", {0, "a@x.org b@y.org\n", ""}},
        {{"receivers", "--delimiter=newline", Path("complete.pre")}, "", {0, "a@x.org\nb@y.org\n", ""}},
        {{"receivers", Path("at-signs.pre")},
         "",
         {1, "", "vantrel-cli: the receiver list is too long: the addresses would take more than 16 MiB\n"}},
        {{"release", "--no-network", Path("complete.pre")},
         "",
         {2, "", "vantrel-cli: --no-network belongs to check and send (see vantrel-cli --help)\n"}},
        {{"release", "-"},
         std::string(67108864, '7'),
         {3, "", "vantrel-cli: standard input: the document is damaged\n"}},
        {{"release", "-"},
         std::string(67108865, '7'),
         {3, "", "vantrel-cli: standard input: the document is larger than 64 MiB\n"}},
        {{"mailto", Path("complete.pre")},
         "",
         {0, MailtoRequest("ann@x.org", "a@x.org\nb@y.org", "Smith & Sons") + "\n", ""}},
        {{"release", Path("damaged.pre")},
         "",
         {3, "", "vantrel-cli: " + Path("damaged.pre") + ": the document is damaged\n"}},
        {{"check", Path("missing.pre")},
         "",
         {3, "", "vantrel-cli: " + Path("missing.pre") + ": the document cannot be read\n"}},
        {{"publish", Path("complete.pre")},
         "",
         {2, "", "vantrel-cli: unknown command \"publish\" (see vantrel-cli --help)\n"}},
        {{"release", "--delimiter=space", Path("complete.pre")},
         "",
         {2, "", "vantrel-cli: --delimiter belongs to receivers (see vantrel-cli --help)\n"}},
        {{"--version"}, "", {0, "vantrel-cli " VANTREL_VERSION "\n", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const CliRun run = RunCli(home, c.arguments, c.input);
        EXPECT_EQ(run.status, c.expected.status);
        EXPECT_EQ(run.out, c.expected.out);
        EXPECT_EQ(run.err, c.expected.err);
    }
    EXPECT_EQ(server.RequestCount(), 6) << "only the checks without --no-network download";
    EXPECT_EQ(ReadFileBytes(Path("complete.pre")), WriteDocumentBytes(complete, 3))
        << "documents are only read";
}

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
    const pid_t first = StartCli(home, arguments);
    EXPECT_EQ(mail.WaitForLine("hanging"), "hanging r4@x.org");
    kill(first, SIGKILL);
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

// The window program answers its options without a display.
TEST_F(CliTest, TheWindowProgramAnswersHelpAndVersion)
{
    const std::pair<std::string, CliRun> cases[] = {
        {"--help", {0, "Usage: vantrel [DOCUMENT.pre]\n", ""}},
        {"--version", {0, "vantrel " VANTREL_VERSION "\n", ""}},
        {"--bogus", {2, "", "vantrel: unknown option --bogus (see vantrel --help)\n"}},
    };
    for (const auto& [option, expected] : cases) {
        SCOPED_TRACE(option);
        const CliRun run = RunCli(home, {option}, "", VANTREL_PROGRAM);
        EXPECT_EQ(run.status, expected.status);
        EXPECT_EQ(run.out.substr(0, expected.out.size()), expected.out);
        EXPECT_EQ(run.err, expected.err);
    }
}

}  // namespace
