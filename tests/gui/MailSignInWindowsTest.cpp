// Settings, "Mail Server...": signing in through the browser and sending
// with the sign-in, in the Windows program under Wine, with the refresh
// token in the Credential Manager. Wine cannot wait for Debian's Python,
// so tests/e2e/windows_sign_in.sh starts the authorization server, the
// mail server and the test browser outside and names them here:
// VANTREL_OUTSIDE_OAUTH (the authorization server), VANTREL_OUTSIDE_MAIL
// (the mail server) and its folder VANTREL_OUTSIDE_MAIL_DIR, and
// VANTREL_OUTSIDE_DESKTOP, whose launches the browser follows.
#include <cstdlib>

#include "SignInDriving.h"
#include "core/signin/Keyring.h"
#include "gui/CommandIds.h"
#include "gui/SendPreviewDialog.h"
#include "gui/SendSummaryDialog.h"

namespace {

std::string Outside(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

class MailSignInWindowsTest : public CompleteFormTest {
protected:
    void SetUp() override
    {
        if (Outside("VANTREL_OUTSIDE_OAUTH").empty())
            GTEST_SKIP() << "runs through tests/e2e/windows_sign_in.sh";
        CompleteFormTest::SetUp();
        FillCompleteForm();
        app().controls.receivers->SetValue("a@x.org; b@y.org");
    }
};

TEST_F(MailSignInWindowsTest, SignInThroughTheBrowserThenSendWithIt)
{
    const std::string endpoint = Outside("VANTREL_OUTSIDE_OAUTH"), mail = Outside("VANTREL_OUTSIDE_MAIL");
    FakeDesktop desktop(Outside("VANTREL_OUTSIDE_DESKTOP"));
    std::string shown;
    wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER), Answer<MailServerDialog>([&](MailServerDialog* dialog) {
                      shown = SignInWithOtherProvider(dialog, mail, "ann@x.org", endpoint);
                      return wxID_OK;
                  }));
    EXPECT_EQ(shown, "Signed in as ann@x.org at " + endpoint + "/token.");
    EXPECT_TRUE(ReadSecret(SecretKind::RefreshToken, mail, "ann@x.org"));

    // The mail server takes only the provider's tokens: no password is asked.
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), Answer<SendPreviewDialog>(wxID_OK),
                  ExpectBox(wxID_OK, nullptr), Answer<SendSummaryDialog>(wxID_CLOSE));
    EXPECT_EQ(ReadFileBytes(Outside("VANTREL_OUTSIDE_MAIL_DIR") + "/receivers"), "a@x.org\nb@y.org\n");
}

}  // namespace
