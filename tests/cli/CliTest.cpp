// The command line's table: every command on documents, standard input and
// statuses, with a local web server for the checks.
#include <filesystem>

#include "CliTesting.h"
#include "core/checks/CheckReport.h"
#include "core/release/MailtoRequest.h"
#include "core/release/PressReleaseComposer.h"
#include "core/release/ReleaseFile.h"
#include "core/replies/DoNotSendList.h"

namespace {

TEST_F(CliTest, CommandsDocumentsAndStatuses)
{
    const std::string release = ComposePressRelease(complete);
    const std::string cutWarning =
        "vantrel-cli: the document's Receivers is cut at a zero byte: what follows it is "
        "left out; open the document in the window and save it again\n";
    // Standard input is bytes: a line end or a Ctrl-Z in a field must not
    // be translated on the way in.
    FormValues controls = complete;
    controls.featuresText = "Fast.\r\nSynced \x1a everywhere.";
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
         {2, "", "vantrel-cli: --verbose belongs to check and replies (see vantrel-cli --help)\n"}},
        {{"check", "--no-network", Path("failing.pre")},
         "",
         {1, "Please fill in the product name.\n",
          "vantrel-cli: the web page and the image were not downloaded (--no-network)\n"}},
        {{"check", "--verbose", "--no-network", Path("entries.pre")},
         "",
         {0, std::string(kCheckOkText) + "\n",
          "vantrel-cli: the web page and the image were not downloaded (--no-network)\nvantrel-cli: send would "
          "skip \"john doe@x.org\": words before an address not in angle brackets\n"}},
        {{"receivers", Path("cut.pre")}, "", {1, "a@x.org\n", cutWarning}},
        {{"receivers", "-"}, ReadFileBytes(Path("cut.pre")), {1, "a@x.org\n", cutWarning}},
        {{"mailto", Path("cut.pre")},
         "",
         {1,
          "mailto:ann@x.org?bcc=a@x.org&subject=Press%20release%20from%20Smith%20%26%20Sons&body=Click%20here.%20Then%20press%20control-a%20followed%20by%20control-v.\n",
          cutWarning}},
        {{"release", Path("complete.pre")}, "", {0, release, ""}},
        {{"release", "--heading", "-"},
         ReadFileBytes(Path("complete.pre")),
         {0, ReleaseFileText("Smith & Sons", release), ""}},
        {{"release", "-"}, WriteDocumentBytes(controls, 0), {0, ComposePressRelease(controls), ""}},
        {{"receivers", Path("complete.pre")}, "", {0, "a@x.org\nb@y.org\n", ""}},
        {{"receivers", "--delimiter=comma", Path("complete.pre")}, "", {0, "a@x.org, b@y.org\n", ""}},
        {{"receivers", "--delimiter=space", Path("complete.pre")}, "", {0, "a@x.org b@y.org\n", ""}},
        {{"receivers", "--delimiter=newline", Path("complete.pre")}, "", {0, "a@x.org\nb@y.org\n", ""}},
        {{"receivers", "--delimiter=comma", "-"},
         ReadFileBytes(Path("complete.pre")),
         {0, "a@x.org, b@y.org\n", ""}},
        // Read as an older program stored it; no address but ASCII goes out.
        {{"receivers", Path("windows-1252.pre")},
         "",
         {0, "b@y.org\n",
          "vantrel-cli: left out \"j\xC3\xBCrgen@x.org\": holds a character other than ASCII\nvantrel-cli: 1 "
          "entry is not an address (\"j\xC3\xBCrgen@x.org\").\n"}},
        {{"receivers", Path("damaged.pre")},
         "",
         {3, "", "vantrel-cli: " + Path("damaged.pre") + ": the document is damaged\n"}},
        {{"receivers", Path("missing.pre")},
         "",
         {3, "", "vantrel-cli: " + Path("missing.pre") + ": the document cannot be read\n"}},
        {{"receivers", Path("entries.pre")},
         "",
         {0, "a@x.org\n",
          "vantrel-cli: left out \"john doe@x.org\": words before an address not in angle brackets\n"
          "vantrel-cli: 1 entry is not an address (\"john doe@x.org\").\n"}},
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
        EXPECT_EQ(run.out, AsPrinted(c.expected.out));
        EXPECT_EQ(run.err, AsPrinted(c.expected.err));
    }
    EXPECT_EQ(server.RequestCount(), 6) << "only the checks without --no-network download";
    EXPECT_EQ(ReadFileBytes(Path("complete.pre")), WriteDocumentBytes(complete, 3))
        << "documents are only read";
}

// receivers and mailto hand out nobody the sender's do-not-send list names,
// and say so; a list that cannot be read gives no list at all.
TEST_F(CliTest, ReceiversAndMailtoLeaveOutTheDoNotSendList)
{
    const std::string list = DoNotSendPath("ann@x.org");
    std::filesystem::remove(list);  // under Wine the state folder is one for the whole suite
    ASSERT_EQ(RunCli(home, {"dont-send", "add", "B@Y.org", Path("complete.pre")}).status, 0);
    const std::string leftOut =
        AsPrinted("vantrel-cli: left out b@y.org: on the do-not-send list, taken off by hand on ");
    const std::string counted = AsPrinted("vantrel-cli: 1 address on the do-not-send list was left out.\n");
    const CliRun receivers = RunCli(home, {"receivers", Path("complete.pre")});
    EXPECT_EQ(receivers.status, 0);
    EXPECT_EQ(receivers.out, AsPrinted("a@x.org\n"));
    EXPECT_EQ(receivers.err.substr(0, leftOut.size()), leftOut);
    EXPECT_EQ(receivers.err.substr(receivers.err.size() - counted.size()), counted);
    const CliRun mailto = RunCli(home, {"mailto", Path("complete.pre")});
    EXPECT_EQ(mailto.out, AsPrinted(MailtoRequest("ann@x.org", "a@x.org", "Smith & Sons") + "\n"));
    EXPECT_EQ(mailto.err, receivers.err);
    // Another sender's list is another list.
    EXPECT_EQ(RunCli(home, {"receivers", "--from=press@x.org", Path("complete.pre")}).out,
              AsPrinted("a@x.org\nb@y.org\n"));

    WriteFileBytes(list, "not a list\n");
    const CliRun unread = RunCli(home, {"mailto", Path("complete.pre")});
    EXPECT_EQ(unread.status, 1);
    EXPECT_EQ(unread.out, "");
    EXPECT_EQ(unread.err,
              AsPrinted("vantrel-cli: the do-not-send list " + list +
                        " cannot be read, so no list of receivers is given\n"));
    std::filesystem::remove(list);
    EXPECT_EQ(ReadFileBytes(Path("complete.pre")), WriteDocumentBytes(complete, 3))
        << "documents are only read";
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
        EXPECT_EQ(run.out.substr(0, AsPrinted(expected.out).size()), AsPrinted(expected.out));
        EXPECT_EQ(run.err, AsPrinted(expected.err));
    }
}

}  // namespace
