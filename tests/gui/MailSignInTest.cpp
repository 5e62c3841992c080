// Settings, "Mail Server...": signing in with a provider through the
// browser, "Remember password", and sending with either, against an OAuth
// 2.0 authorization server (oauth_server.py), a test browser
// (test_browser.py) following what the desktop was handed, and a mail
// server that takes only valid access tokens. They run through
// tests/support/private-keyring.sh, in a GNOME Keyring of their own.
#include "SignInDriving.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <regex>

#include <wx/textdlg.h>

#include "LocalSmtpServer.h"
#include "ProcessRunner.h"
#include "core/mail/MailSettings.h"
#include "core/signin/Keyring.h"
#include "gui/CommandIds.h"
#include "gui/MailServerDialog.h"
#include "gui/SendPreviewDialog.h"
#include "gui/SendSummaryDialog.h"

namespace {

constexpr const char* kSupport = VANTREL_TEST_SUPPORT_DIR;

class MailSignInTest : public CompleteFormTest {
protected:
    void SetUp() override
    {
        if (!std::getenv("VANTREL_KEYRING_HOME"))
            GTEST_SKIP() << "runs through tests/support/private-keyring.sh";
        CompleteFormTest::SetUp();
        FillCompleteForm();
        app().controls.receivers->SetValue("a@x.org; b@y.org");
    }

    std::string Path(const std::string& name) const { return home_->sandbox() + "/" + name; }

    void StartServers()
    {
        std::filesystem::create_directories(Path("oauth"));
        oauth.emplace(Path("oauth"), std::vector<std::string>{}, std::string(kSupport) + "/oauth_server.py");
        mail.emplace(Path("mail"), std::vector<std::string>{"--oauth", Path("oauth/access-tokens")});
    }

    // Settings, Mail Server: Other provider, Sign In..., the test browser
    // signing in where the desktop was sent; what the dialog then says.
    std::string SignInFromTheDialog()
    {
        FakeDesktop desktop(Path("desktop"));
        const std::string launches = Path("desktop/launches.log");
        WriteFileBytes(launches, "");
        const ChildProcess browser =
            StartProcess("/usr/bin/python3", {std::string(kSupport) + "/test_browser.py", launches},
                         "/dev/null", Path("pages"), Path("browser"));
        const std::string endpoint = "http://127.0.0.1:" + std::to_string(oauth->port());
        std::string shown;
        wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER),
                      Answer<MailServerDialog>([&](MailServerDialog* dialog) {
                          shown = SignInWithOtherProvider(dialog, mail->Url(), "ann@x.org", endpoint);
                          return wxID_OK;
                      }));
        EXPECT_EQ(WaitForProcess(browser), 0) << ReadFileBytes(Path("browser"));
        return shown;
    }

    std::optional<LocalSmtpServer> oauth, mail;
};

TEST_F(MailSignInTest, SignInRunsInTheBrowserAndTheDialogSaysWhoIsSignedIn)
{
    StartServers();
    const std::string shown = SignInFromTheDialog();
    const std::string endpoint = "http://127.0.0.1:" + std::to_string(oauth->port());
    EXPECT_EQ(shown, "Signed in as ann@x.org at " + endpoint + "/token.");
    EXPECT_EQ(ReadFileBytes(Path("pages")), "200\n");
    const Result<std::string> token = ReadSecret(SecretKind::RefreshToken, mail->Url(), "ann@x.org");
    ASSERT_TRUE(token);
    EXPECT_NE(ReadFileBytes(home_->SettingsFile()).find("MailServer=" + mail->Url()), std::string::npos);
    const std::regex anyToken("[ar]t[0-9]+-");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home_->home())) {
        if (entry.is_regular_file()) {
            EXPECT_FALSE(std::regex_search(ReadFileBytes(entry.path().string()), anyToken)) << entry.path();
        }
    }
}

TEST_F(MailSignInTest, ChoosingAPasswordEndsTheSignIn)
{
    StartServers();
    SignInFromTheDialog();
    wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER), Answer<MailServerDialog>([](MailServerDialog* dialog) {
                      EXPECT_EQ(dialog->login->GetSelection(), 3);
                      Choose(dialog, 0);
                      return wxID_OK;
                  }));
    EXPECT_EQ(ReadSecret(SecretKind::RefreshToken, mail->Url(), "ann@x.org").failure(), Failure::Missing);
    EXPECT_FALSE(RememberedSignInFor(mail->Url(), "ann@x.org"));
}

// No password is asked: the mail server takes only the provider's tokens.
TEST_F(MailSignInTest, SendingUsesTheSignInAndARefusedOneSendsNothing)
{
    StartServers();
    SignInFromTheDialog();
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), Answer<SendPreviewDialog>(wxID_OK),
                  ExpectBox(wxID_OK, nullptr), Answer<SendSummaryDialog>(wxID_CLOSE));
    EXPECT_EQ(mail->Receivers(), (std::vector<std::string>{"a@x.org", "b@y.org"}));

    oauth->SendLine("revoke");
    oauth->WaitForLine("revoked");
    app().controls.receivers->SetValue("a@x.org; b@y.org; c@z.org");
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), Answer<SendPreviewDialog>(wxID_OK),
                  ExpectBox(wxID_OK, nullptr), ExpectBox(wxID_OK, &box));
    EXPECT_NE(box.text.find("Please sign in again: Settings, Mail Server..., Sign In..."), std::string::npos)
        << box.text;
    EXPECT_EQ(mail->Receivers().size(), 2u);
}

// The window answers while the browser is awaited, and its Cancel is heard.
TEST_F(MailSignInTest, CancelEndsASignInThatWaitsForTheBrowser)
{
    FakeDesktop desktop(Path("desktop"));
    std::string shown, launched;
    wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER), Answer<MailServerDialog>([&](MailServerDialog* dialog) {
                      Choose(dialog, 3);
                      dialog->server->SetValue("smtps://mail.x.org");
                      dialog->user->SetValue("ann@x.org");
                      dialog->authorizeUrl->SetValue("http://127.0.0.1:9/authorize");
                      dialog->tokenUrl->SetValue("http://127.0.0.1:9/token");
                      dialog->scope->SetValue("mail");
                      dialog->clientId->SetValue("vantrel-test");
                      Click(dialog, dialog->signIn);
                      launched = desktop.WaitForLaunch();
                      EXPECT_EQ(Utf8(dialog->signIn->GetLabel()), "Cancel Sign-In");
                      Click(dialog, dialog->signIn);
                      while (dialog->SigningIn())
                          PumpEvents(50);
                      shown = Utf8(dialog->signedIn->GetLabel());
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(launched.rfind("http://127.0.0.1:9/authorize?", 0), 0u) << launched;
    EXPECT_EQ(shown, "Not signed in: cancelled.");
}

TEST_F(MailSignInTest, AProviderIsNotSavedWithoutItsSignIn)
{
    std::string shown;
    wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER), Answer<MailServerDialog>([&](MailServerDialog* dialog) {
                      Choose(dialog, 2);
                      dialog->user->SetValue("ann@gmail.com");
                      wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
                      dialog->ProcessWindowEvent(ok);
                      shown = Utf8(dialog->problem->GetLabel());
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(shown, "Please sign in first (Sign In...), or log in with a password.");
}

TEST_F(MailSignInTest, ARememberedPasswordIsAskedOnceAndForgottenWhenUnticked)
{
    LocalSmtpServer server(Path("mail"), {"--auth", "ann:s3cret"});
    MailSettings settings;
    settings.server = server.Url();
    settings.user = "ann";
    settings.perMinute = 0;
    settings.rememberPassword = true;
    ASSERT_TRUE(WriteMailSettings(settings));
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), Answer<SendPreviewDialog>(wxID_OK),
                  ExpectBox(wxID_OK, nullptr), Answer<wxPasswordEntryDialog>([](wxPasswordEntryDialog* ask) {
                      ask->SetValue("s3cret");
                      return wxID_OK;
                  }),
                  Answer<SendSummaryDialog>(wxID_CLOSE));
    const Result<std::string> kept = ReadSecret(SecretKind::Password, server.Url(), "ann");
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, "s3cret");
    EXPECT_EQ(ReadFileBytes(home_->SettingsFile()).find("s3cret"), std::string::npos);

    app().controls.receivers->SetValue("a@x.org; b@y.org; c@z.org");
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), Answer<SendPreviewDialog>(wxID_OK),
                  ExpectBox(wxID_OK, nullptr), Answer<SendSummaryDialog>(wxID_CLOSE));
    EXPECT_EQ(server.Receivers().size(), 3u);

    wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER), Answer<MailServerDialog>([](MailServerDialog* dialog) {
                      EXPECT_TRUE(dialog->rememberPassword->GetValue());
                      dialog->rememberPassword->SetValue(false);
                      return wxID_OK;
                  }));
    EXPECT_EQ(ReadSecret(SecretKind::Password, server.Url(), "ann").failure(), Failure::Missing);
}

}  // namespace
