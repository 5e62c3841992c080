// Settings, "Mail Server..." and Generate, "Send to Receivers...": one case
// per path, against a mail server on 127.0.0.1.
#include "GuiTestSupport.h"

#include <wx/textdlg.h>

#include "LocalSmtpServer.h"
#include "core/mail/MailSettings.h"
#include "gui/CommandIds.h"
#include "gui/MailServerDialog.h"
#include "gui/SendPreviewDialog.h"

namespace {

// Types into the Mail Server dialog and answers it.
class ExpectMailServer : public wxExpectModalBase<MailServerDialog, ExpectMailServer> {
public:
    ExpectMailServer(std::vector<std::string> typed, int answer) : typed_(std::move(typed)), answer_(answer)
    {
    }

protected:
    int OnInvoked(MailServerDialog* dialog) const override
    {
        wxTextCtrl* fields[] = {dialog->server, dialog->user, dialog->sender, dialog->perMinute};
        for (std::size_t i = 0; i < typed_.size(); ++i)
            fields[i]->SetValue(wxString::FromUTF8(typed_[i]));
        return answer_;
    }

private:
    std::vector<std::string> typed_;
    int answer_;
};

class ExpectPassword : public wxExpectModalBase<wxPasswordEntryDialog, ExpectPassword> {
public:
    explicit ExpectPassword(std::string password) : password_(std::move(password)) {}

protected:
    int OnInvoked(wxPasswordEntryDialog* dialog) const override
    {
        dialog->SetValue(wxString::FromUTF8(password_));
        return wxID_OK;
    }

private:
    std::string password_;
};

class ExpectPreview : public wxExpectModalBase<SendPreviewDialog, ExpectPreview> {
public:
    explicit ExpectPreview(int answer) : answer_(answer) {}

protected:
    int OnInvoked(SendPreviewDialog*) const override { return answer_; }

private:
    int answer_;
};

class SendCommandsTest : public CompleteFormTest {
protected:
    void SetUp() override
    {
        CompleteFormTest::SetUp();
        FillCompleteForm();
        app().controls.receivers->SetValue("a@x.org, b@y.org A@X.ORG broken@\n");
    }

    void UseServer(const std::string& url, const std::string& user = "")
    {
        ASSERT_TRUE(WriteMailSettings({url, user, "", 0}));
    }
};

TEST_F(SendCommandsTest, MailServerSaysWhatIsWrongThenKeepsTheSettings)
{
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER), ExpectMailServer({"http://mail.x.org"}, wxID_OK),
                  ExpectBox(wxID_OK, &box),
                  ExpectMailServer({"smtps://mail.x.org", "ann", "Press <press@x.org>", "0"}, wxID_OK));
    ExpectInformationBox(box, &frame(),
                         "Please correct the server: the server URL begins with smtps:// or smtp://.",
                         "Mail Server");
    const MailSettings saved = ReadMailSettings();
    EXPECT_EQ(saved.server, "smtps://mail.x.org");
    EXPECT_EQ(saved.user, "ann");
    EXPECT_EQ(saved.sender, "Press <press@x.org>");
    EXPECT_EQ(saved.perMinute, 0);
}

TEST_F(SendCommandsTest, SendAsksThePasswordAndSendsEachReceiverOnce)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail", {"--auth", "ann:s3cret", "--script", "b@y.org=550"});
    UseServer(mail.Url(), "ann");
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview(wxID_OK), ExpectPassword("s3cret"),
                  ExpectBox(wxID_OK, &box));
    ExpectInformationBox(
        box, &frame(),
        "Sent: 1\nRefused: 1\n    b@y.org: 550 5.1.1 <b@y.org>: no such user here\nLeft to send: 0\n",
        "Send");
    EXPECT_EQ(mail.Receivers(), std::vector<std::string>{"a@x.org"});
}

TEST_F(SendCommandsTest, ATestGoesToTheSenderAloneAndCancelSendsNothing)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail");
    UseServer(mail.Url());
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview(ID_SEND_TEST),
                  ExpectBox(wxID_OK, &box), ExpectPreview(wxID_CANCEL));
    ExpectInformationBox(box, &frame(), "A test message went to ada@example.org.", "Send");
    EXPECT_EQ(mail.Receivers(), std::vector<std::string>{"ada@example.org"});
}

TEST_F(SendCommandsTest, WithoutAServerItSaysWhereToSetIt)
{
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectBox(wxID_OK, &box));
    ExpectInformationBox(box, &frame(), "Please set the mail server first: Settings, Mail Server...", "Send");
}

}  // namespace
