// Generate, "Do-Not-Send List..." and "Check Replies...", and what Settings,
// Mail Server keeps for the way out: one case per path.
#include "GuiTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include <wx/textdlg.h>

#include "core/mail/MailSettings.h"
#include "core/replies/DoNotSendList.h"
#include "gui/CheckRepliesDialog.h"
#include "gui/CommandIds.h"
#include "gui/DoNotSendDialog.h"
#include "gui/MailServerDialog.h"
#include "gui/ReplyFindingsDialog.h"

namespace {

template <class Dialog> class Answer : public wxExpectModalBase<Dialog, Answer<Dialog>> {
public:
    explicit Answer(std::function<int(Dialog*)> answer) : answer_(std::move(answer)) {}

protected:
    int OnInvoked(Dialog* dialog) const override { return answer_(dialog); }

private:
    std::function<int(Dialog*)> answer_;
};

Answer<wxTextEntryDialog> Typed(const std::string& text)
{
    return Answer<wxTextEntryDialog>([text](wxTextEntryDialog* dialog) {
        dialog->SetValue(wxString::FromUTF8(text));
        return wxID_OK;
    });
}

void Click(wxWindow* dialog, int id)
{
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(dialog->FindWindow(id));
    dialog->ProcessWindowEvent(click);
}

std::string OneLine(const wxString& label)
{
    std::string text = Utf8(label);
    std::replace(text.begin(), text.end(), '\n', ' ');  // wrapped to the dialog's width
    return text;
}

// A delivery status report about one of the releases from press@acme.com.
const char* const kBounce = "From: Mail Delivery System <MAILER-DAEMON@mx.acme.com>\n"
                            "To: press@acme.com\n"
                            "Subject: Undelivered Mail Returned to Sender\n"
                            "Date: Mon, 07 Dec 2026 10:00:00 +0000\n"
                            "Message-ID: <report-1@mx.acme.com>\n"
                            "MIME-Version: 1.0\n"
                            "Content-Type: multipart/report; report-type=delivery-status; boundary=\"b1\"\n"
                            "\n"
                            "--b1\n"
                            "Content-Type: text/plain\n"
                            "\n"
                            "Your message could not be delivered.\n"
                            "--b1\n"
                            "Content-Type: message/delivery-status\n"
                            "\n"
                            "Reporting-MTA: dns; mx.acme.com\n"
                            "\n"
                            "Final-Recipient: rfc822; gone@example.net\n"
                            "Action: failed\n"
                            "Status: 5.1.1\n"
                            "Diagnostic-Code: smtp; 550 5.1.1 <gone@example.net>: user unknown\n"
                            "--b1\n"
                            "Content-Type: text/rfc822-headers\n"
                            "\n"
                            "From: Press <press@acme.com>\n"
                            "To: gone@example.net\n"
                            "Subject: Press release from Tarsel Soft\n"
                            "Message-ID: <0123456789abcdef.1.vantrel@acme.com>\n"
                            "--b1--\n";

class RepliesCommandsTest : public CompleteFormTest {
protected:
    void SetUp() override
    {
        CompleteFormTest::SetUp();
        FillCompleteForm();
        MailSettings settings;
        settings.server = "smtp://127.0.0.1:1";  // never reached by these cases
        settings.sender = "Press <press@acme.com>";
        ASSERT_TRUE(WriteMailSettings(settings));
    }

    static bool Listed(const std::string& address)
    {
        const Result<DoNotSendList> list = DoNotSendListOf("press@acme.com");
        EXPECT_TRUE(list);
        return list && list->Find(address).has_value();
    }
};

TEST_F(RepliesCommandsTest, DoNotSendListAddsByHandRefusesNoAddressAndRemovesAfterTheQuestion)
{
    ShownBox refused, question;
    bool addedToFile = false;
    long rowsAfterAdding = -1, rowsAfterRemoving = -1;
    wxTEST_DIALOG(SendMenuCommand(ID_DO_NOT_SEND_LIST), Answer<DoNotSendDialog>([&](DoNotSendDialog* dialog) {
                      Click(dialog, wxID_ADD);
                      Click(dialog, wxID_ADD);
                      rowsAfterAdding = dialog->list->GetItemCount();
                      addedToFile = Listed("ann@x.org");
                      dialog->list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
                      Click(dialog, wxID_REMOVE);
                      rowsAfterRemoving = dialog->list->GetItemCount();
                      return wxID_CLOSE;
                  }),
                  Typed("broken@"), ExpectBox(wxID_OK, &refused), Typed(" Ann Lee <Ann@X.org> "),
                  ExpectBox(wxID_YES, &question));
    EXPECT_EQ(refused.text.rfind("Nothing was added: \"broken@\" ", 0), 0u) << refused.text;
    EXPECT_EQ(rowsAfterAdding, 1);
    EXPECT_TRUE(addedToFile);
    EXPECT_EQ(question.text,
              "Take ann@x.org off the list? Releases from press@acme.com will go to them again.");
    EXPECT_EQ(rowsAfterRemoving, 0);
    EXPECT_FALSE(Listed("ann@x.org"));
}

TEST_F(RepliesCommandsTest, ADoNotSendListThatCannotBeReadIsShownInRedAndLeftAsItIs)
{
    const std::string path = DoNotSendPath("press@acme.com");
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFileBytes(path, "not a list\n");
    std::string problem;
    bool addable = true;
    wxTEST_DIALOG(SendMenuCommand(ID_DO_NOT_SEND_LIST), Answer<DoNotSendDialog>([&](DoNotSendDialog* dialog) {
                      problem = dialog->problem->IsShown() ? OneLine(dialog->problem->GetLabel()) : "";
                      addable = dialog->add->IsEnabled();
                      return wxID_CLOSE;
                  }));
    EXPECT_EQ(problem, OneLine(DoNotSendProblem(Failure::Damaged, path)));
    EXPECT_FALSE(addable);
    EXPECT_EQ(ReadFileBytes(path), "not a list\n");
}

// Added from the findings while the window stays open, then taken out of
// the form's receivers, which is then changed.
TEST_F(RepliesCommandsTest, CheckRepliesFromAMaildirListsTheBounceAddsItAndRemovesItFromTheReceivers)
{
    const std::string maildir = home_->sandbox() + "/Maildir";
    for (const char* folder : {"/cur", "/new", "/tmp"})
        std::filesystem::create_directories(maildir + folder);
    WriteFileBytes(maildir + "/new/1765101600.1.mx", kBounce);
    WriteFileBytes(maildir + "/new/1765101601.2.mx",
                   "From: Ann Lee <ann@paper.example>\nTo: press@acme.com\nSubject: Review copy?\n"
                   "Date: Mon, 7 Dec 2026 10:00:00 +0100\n\n> the release\nCould I have a licence for a review?\n");
    app().controls.receivers->SetValue("a@x.org; gone@example.net; b@y.org");
    frame().MarkUnchanged("");
    std::string reading, kind, evidence, other;
    bool checked = false, listedThen = false;
    wxTEST_DIALOG(SendMenuCommand(ID_CHECK_REPLIES),
                  Answer<CheckRepliesDialog>([&](CheckRepliesDialog* dialog) {
                      dialog->fromMaildir->SetValue(true);
                      dialog->maildir->SetValue(wxString::FromUTF8(maildir));
                      return wxID_OK;
                  }),
                  Answer<ReplyFindingsDialog>([&](ReplyFindingsDialog* dialog) {
                      reading = Utf8(dialog->reading->GetLabel());
                      EXPECT_EQ(dialog->list->GetItemCount(), 1);
                      EXPECT_EQ(Utf8(dialog->list->GetItemText(0)), "gone@example.net");
                      kind = Utf8(dialog->list->GetItemText(0, 1));
                      evidence = Utf8(dialog->list->GetItemText(0, 3));
                      checked = dialog->list->IsItemChecked(0);
                      EXPECT_EQ(dialog->others->GetItemCount(), 1);
                      other = Utf8(dialog->others->GetItemText(0) + " " + dialog->others->GetItemText(0, 1) + " " +
                                   dialog->others->GetItemText(0, 3));
                      Click(dialog, ID_ADD_TO_DO_NOT_SEND);
                      listedThen = Listed("gone@example.net");
                      return ID_REMOVE_FROM_RECEIVERS;
                  }));
    EXPECT_EQ(reading, "Messages read: 2: 1 report, 0 unsubscribe requests, 1 other reply, 0 about other mail.");
    EXPECT_EQ(other, "Ann Lee <ann@paper.example> Review copy? Could I have a licence for a review?");
    EXPECT_EQ(kind, "hard bounce");
    EXPECT_NE(evidence.find("5.1.1"), std::string::npos) << evidence;
    EXPECT_TRUE(checked);
    EXPECT_TRUE(listedThen);
    EXPECT_EQ(Utf8(app().controls.receivers->GetValue()), "a@x.org; b@y.org");
    EXPECT_TRUE(frame().HasUnsavedChanges());
    // The next time the same Maildir is offered.
    std::string offered;
    wxTEST_DIALOG(SendMenuCommand(ID_CHECK_REPLIES), Answer<CheckRepliesDialog>([&](CheckRepliesDialog* dialog) {
                      offered = dialog->fromMaildir->GetValue() ? Utf8(dialog->maildir->GetValue()) : "";
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(offered, maildir);
}

TEST_F(RepliesCommandsTest, ASendStopsWhenTheDoNotSendListCannotBeRead)
{
    const std::string path = DoNotSendPath("press@acme.com");
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFileBytes(path, "not a list\n");
    app().controls.receivers->SetValue("a@x.org");
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectBox(wxID_OK, &box));
    ExpectInformationBox(box, &frame(), DoNotSendProblem(Failure::Damaged, path) + "\n\nNothing was sent.",
                         "Send");
    EXPECT_EQ(ReadFileBytes(path), "not a list\n");
}

TEST_F(RepliesCommandsTest, MailServerRefusesAnUnsubscribeAddressWithoutHttpsThenKeepsTheNextOne)
{
    std::string problem;
    wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER), Answer<MailServerDialog>([&](MailServerDialog* dialog) {
                      dialog->unsubscribeUrl->SetValue("http://acme.com/opt-out");
                      Click(dialog, wxID_OK);
                      problem = dialog->problem->IsShown() ? OneLine(dialog->problem->GetLabel()) : "";
                      return wxID_OK;
                  }),
                  Answer<MailServerDialog>([](MailServerDialog* dialog) {
                      dialog->unsubscribeUrl->SetValue("https://acme.com/opt-out");
                      dialog->unsubscribeFooter->SetValue(false);
                      return wxID_OK;
                  }));
    EXPECT_EQ(
        problem,
        "Please correct the unsubscribe web address: the unsubscribe address must start with https://.");
    const MailSettings saved = ReadMailSettings();
    EXPECT_EQ(saved.unsubscribeUrl, "https://acme.com/opt-out");
    EXPECT_FALSE(saved.unsubscribeFooter);
    EXPECT_EQ(saved.sender, "Press <press@acme.com>");
}

}  // namespace
