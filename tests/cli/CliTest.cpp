// The built vantrel-cli run as a script would run it: no display, a real
// document file (or standard input), standard output, standard error and
// exit status compared.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FormSamples.h"
#include "LocalHttpServer.h"
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

// Runs vantrel-cli with arguments, standard input from a file, and without
// DISPLAY in its environment.
CliRun RunCli(const TempHome& home, const std::vector<std::string>& arguments, const std::string& input = "",
              const char* program = VANTREL_CLI, std::string out = "")
{
    const std::string in = home.sandbox() + "/stdin", err = home.sandbox() + "/stderr";
    const bool ownOut = out.empty();  // a device given as output is not read back
    if (ownOut)
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
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ownOut ? ReadFileBytes(out) : "", ReadFileBytes(err)};
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
         {2, "", "vantrel-cli: --no-network belongs to check (see vantrel-cli --help)\n"}},
        {{"release", "-"}, std::string(67108864, '7'), {3, "", "vantrel-cli: standard input: the document is damaged\n"}},
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
    EXPECT_EQ(server.RequestCount(), 4) << "only the checks without --no-network download";
    EXPECT_EQ(ReadFileBytes(Path("complete.pre")), WriteDocumentBytes(complete, 3))
        << "documents are only read";
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
