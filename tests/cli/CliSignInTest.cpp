// vantrel-cli login, send and logout against an OAuth 2.0 authorization
// server (oauth_server.py), a test browser (test_browser.py) and a mail
// server that takes only its valid access tokens. They run through
// tests/support/private-keyring.sh, in a GNOME Keyring of their own.
#include <filesystem>
#include <regex>

#include "CliTesting.h"
#include "LocalSmtpServer.h"

namespace {

constexpr const char* kSupport = VANTREL_TEST_SUPPORT_DIR;

int Count(const std::string& text, const std::string& line)
{
    int count = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++count;
    return count;
}

class CliSignInTest : public CliTest {
protected:
    void SetUp() override
    {
        if (!std::getenv("VANTREL_KEYRING_HOME"))
            GTEST_SKIP() << "runs through tests/support/private-keyring.sh";
        CliTest::SetUp();
        unsetenv("VANTREL_SMTP_TOKEN");
        std::filesystem::create_directories(Path("oauth"));
    }

    // The authorization server, its tokens living lifetime seconds.
    void StartServers(const std::string& lifetime = "3600")
    {
        oauth.emplace(Path("oauth"), std::vector<std::string>{"--lifetime", lifetime},
                      std::string(kSupport) + "/oauth_server.py");
        mail.emplace(Path("mail"), std::vector<std::string>{"--oauth", Path("oauth/access-tokens")});
    }

    std::vector<std::string> LoginArguments() const
    {
        const std::string url = "http://127.0.0.1:" + std::to_string(oauth->port());
        return {"login",
                "--provider=other",
                "--server=" + mail->Url(),
                "--user=ann@x.org",
                "--authorize-url=" + url + "/authorize",
                "--token-url=" + url + "/token",
                "--scope=mail offline_access",
                "--client-id=vantrel-test",
                "--no-browser"};
    }

    // login, with the test browser following the URL it prints.
    CliRun Login(const std::vector<std::string>& browserOptions, std::string& pages)
    {
        ChildProcess cli = StartCli(home, LoginArguments());
        std::vector<std::string> arguments = {std::string(kSupport) + "/test_browser.py", Path("stdout")};
        arguments.insert(arguments.end(), browserOptions.begin(), browserOptions.end());
        const int browser = WaitForProcess(
            StartProcess("/usr/bin/python3", arguments, Path("stdin"), Path("pages"), Path("browser")));
        EXPECT_EQ(browser, 0) << ReadFileBytes(Path("browser"));
        pages = ReadFileBytes(Path("pages"));
        return FinishCli(home, cli);
    }

    CliRun Send(const std::vector<std::string>& options = {})
    {
        std::vector<std::string> arguments = {"send", "--no-network", Path("complete.pre")};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return RunCli(home, arguments);
    }

    std::optional<LocalSmtpServer> oauth, mail;
};

TEST_F(CliSignInTest, LoginTakesOnlyTheRedirectOfItsOwnSignIn)
{
    StartServers();
    struct Case {
        std::vector<std::string> browser;
        std::string pages;
        int status;
        std::string said;
        int codesExchanged;  // so far
    };
    const Case cases[] = {
        {{"--state=forged"}, "400\n", 4, "its state differs); nothing was kept", 0},
        {{"--error=access_denied"},
         "400\n",
         4,
         "the provider refused the sign-in: access_denied; nothing was kept",
         0},
        {{"--twice"}, "200\nrefused\n", 0, "vantrel-cli: signed in as ann@x.org at " + mail->Url(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        std::string pages;
        const CliRun run = Login(c.browser, pages);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(pages, c.pages);
        EXPECT_EQ(Count(ReadFileBytes(Path("oauth/grants")), "granted authorization_code"), c.codesExchanged);
        // A refused sign-in leaves the settings as they were.
        if (!CliKeepsSettingsInTheRegistry()) {
            EXPECT_EQ(ReadFileBytes(home.SettingsFile()).find("MailSignIn=other") != std::string::npos,
                      c.status == 0);
        }
    }
}

TEST_F(CliSignInTest, SendSignsInWithTheKeptTokenAndStopsWhenItIsRevoked)
{
    StartServers();
    std::string pages;
    ASSERT_EQ(Login({}, pages).status, 0);
    const CliRun sent = Send({"--rate=0"});
    EXPECT_EQ(sent.status, 0) << sent.err;
    EXPECT_EQ(mail->Receivers().size(), 2u);

    oauth->SendLine("revoke");
    oauth->WaitForLine("revoked");
    const CliRun refused = Send({"--rate=0", "--again"});
    EXPECT_EQ(refused.status, 4);
    EXPECT_NE(refused.err.find("vantrel-cli: nothing was sent: the sign-in is no longer valid (the provider "
                               "refused: invalid_grant (revoked)); sign in again (vantrel-cli login)"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(mail->Receivers().size(), 2u);

    // Signed in anew, then out: send falls back to the password, which this server does not take.
    ASSERT_EQ(Login({}, pages).status, 0);
    EXPECT_EQ(RunCli(home, {"logout"}).status, 0);
    const CliRun afterLogout = Send({"--rate=0", "--again"});
    EXPECT_EQ(afterLogout.status, 4);
    EXPECT_EQ(mail->Receivers().size(), 2u);

    // No token in any file of the user's: the settings, the ledger, the state folder.
    const std::regex token("[ar]t[0-9]+-");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home.home()))
        if (entry.is_regular_file())
            EXPECT_FALSE(std::regex_search(ReadFileBytes(entry.path().string()), token)) << entry.path();
}

TEST_F(CliSignInTest, APacedRunOutlivingItsTokenRenewsItAndReachesEachReceiverOnce)
{
    StartServers("3");
    std::string pages;
    ASSERT_EQ(Login({}, pages).status, 0);
    FormValues form = complete;
    form.receivers = "a@x.org; b@x.org; c@x.org; d@x.org";
    WriteFileBytes(Path("complete.pre"), WriteDocumentBytes(form, 0));
    // 1.5 seconds between messages: the run outlives the first token.
    const CliRun run = Send({"--rate=40"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(mail->Receivers(), (std::vector<std::string>{"a@x.org", "b@x.org", "c@x.org", "d@x.org"}));
    const std::string used = ReadFileBytes(Path("mail/tokens-used"));
    EXPECT_NE(used.substr(0, used.find('\n')), used.substr(used.rfind('\n', used.size() - 2) + 1));
}

TEST_F(CliSignInTest, WithoutAKeyringLoginSaysSoBeforeTheBrowser)
{
    StartServers();
    const std::string bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + Path("no-bus")).c_str(), 1);
    const CliRun run = RunCli(home, LoginArguments());
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vantrel-cli: no keyring answers (is a desktop session running?); give the token in "
                       "VANTREL_SMTP_TOKEN, or log in with a password\n");
}

TEST_F(CliSignInTest, AnAccessTokenFromTheEnvironmentIsUsedAsItIs)
{
    WriteFileBytes(Path("ci-tokens"), "ci-token 9999999999\n");
    LocalSmtpServer ci(Path("ci"), {"--oauth", Path("ci-tokens")});
    struct Case {
        const char* token;
        int status;
        std::string said;
    };
    const Case cases[] = {
        {"ci-token", 0, "sent me@z.org\n"},
        {"old-token", 4,
         "not sent me@z.org: the mail server refused the access token of VANTREL_SMTP_TOKEN\n"},
    };
    for (const Case& c : cases) {
        setenv("VANTREL_SMTP_TOKEN", c.token, 1);
        const CliRun run = Send({"--server=" + ci.Url(), "--user=ci@x.org", "--test-to=me@z.org"});
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    unsetenv("VANTREL_SMTP_TOKEN");
    EXPECT_EQ(ci.Receivers(), std::vector<std::string>{"me@z.org"});
}

}  // namespace
