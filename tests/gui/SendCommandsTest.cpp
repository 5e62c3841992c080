// Settings, "Mail Server...", Generate, "Send to Receivers..." and the
// replies read from the mail server: one case per path, against mail
// servers on 127.0.0.1.
#include "GuiTestSupport.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>

#include <unistd.h>

#include <wx/display.h>
#include <wx/textdlg.h>
#include <wx/uiaction.h>

#include "LocalSmtpServer.h"
#include "core/documents/DocumentFormat.h"
#include "core/mail/MailMessage.h"
#include "core/mail/MailSettings.h"
#include "core/release/PressReleaseComposer.h"
#include "core/replies/DoNotSendList.h"
#include "gui/CheckRepliesDialog.h"
#include "gui/CommandIds.h"
#include "gui/DoNotSendDialog.h"
#include "gui/MailServerDialog.h"
#include "gui/ReplyFindingsDialog.h"
#include "gui/SendPreviewDialog.h"
#include "gui/SendSummaryDialog.h"

namespace {

// Types into the Mail Server dialog and answers it.
class ExpectMailServer : public wxExpectModalBase<MailServerDialog, ExpectMailServer> {
public:
    ExpectMailServer(std::vector<std::string> typed, int answer, std::string* problemAfterOk = nullptr)
        : typed_(std::move(typed)), answer_(answer), problemAfterOk_(problemAfterOk)
    {
    }

protected:
    // With problemAfterOk, clicks OK as the user does and records the red
    // text; a wrong value must leave the dialog open (no EndModal).
    int OnInvoked(MailServerDialog* dialog) const override
    {
        wxTextCtrl* fields[] = {dialog->server, dialog->user, dialog->sender, dialog->perMinute};
        for (std::size_t i = 0; i < typed_.size(); ++i)
            fields[i]->SetValue(wxString::FromUTF8(typed_[i]));
        if (problemAfterOk_) {
            wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
            dialog->ProcessWindowEvent(click);
            *problemAfterOk_ = dialog->problem->IsShown() ? Utf8(dialog->problem->GetLabel()) : "";
        }
        return answer_;
    }

private:
    std::vector<std::string> typed_;
    int answer_;
    std::string* problemAfterOk_;
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

template <class Dialog> class ExpectWindow : public wxExpectModalBase<Dialog, ExpectWindow<Dialog>> {
public:
    using Answer = std::function<int(Dialog*)>;
    explicit ExpectWindow(int answer) : answer_([answer](Dialog*) { return answer; }) {}
    explicit ExpectWindow(Answer answer) : answer_(std::move(answer)) {}

protected:
    int OnInvoked(Dialog* dialog) const override { return answer_(dialog); }

private:
    Answer answer_;
};
using ExpectPreview = ExpectWindow<SendPreviewDialog>;
using ExpectSummary = ExpectWindow<SendSummaryDialog>;

DeliverySummary RefusedSummary(std::size_t count)
{
    DeliverySummary summary;
    for (std::size_t i = 0; i < count; ++i)
        summary.receivers.push_back(
            {"r" + std::to_string(i) + "@x.org", ReceiverState::Refused, "550 no such user"});
    summary.refused = count;
    return summary;
}

class SendCommandsTest : public CompleteFormTest {
protected:
    void SetUp() override
    {
        CompleteFormTest::SetUp();
        FillCompleteForm();
        app().controls.receivers->SetValue("a@x.org; b@y.org; A@X.ORG; broken@\n");
    }

    void UseServer(const std::string& url, const std::string& user = "")
    {
        MailSettings settings;
        settings.server = url;
        settings.user = user;
        settings.perMinute = 0;
        ASSERT_TRUE(WriteMailSettings(settings));
    }

    DeliveryPlan PlanOfForm()
    {
        const FormValues form = app().ReadForm();
        DeliveryPlan plan;
        plan.sender = ReleaseSender(form, "");
        plan.product = form.productName;
        plan.version = form.productVersion;
        plan.release = ComposePressRelease(form);
        return plan;
    }
};

TEST_F(SendCommandsTest, MailServerSaysWhatIsWrongInTheDialogThenKeepsTheSettings)
{
    std::string problem;
    wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER), ExpectMailServer({"smtps://"}, wxID_OK, &problem),
                  ExpectMailServer({"smtps://mail.x.org", "ann", "Press <press@x.org>", "0"}, wxID_OK));
    EXPECT_EQ(problem, "Please correct the server: the server URL names no host.");
    const MailSettings saved = ReadMailSettings();
    EXPECT_EQ(saved.server, "smtps://mail.x.org");
    EXPECT_EQ(saved.user, "ann");
    EXPECT_EQ(saved.sender, "Press <press@x.org>");
    EXPECT_EQ(saved.perMinute, 0);
}

// Wrong words for a login come back as the server said them.
TEST_F(SendCommandsTest, TestConnectionShowsTheServersAnswerInTheDialog)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail", {"--auth", "ann:s3cret"});
    std::string shown;
    wxTEST_DIALOG(SendMenuCommand(ID_MAIL_SERVER),
                  ExpectWindow<MailServerDialog>([&](MailServerDialog* dialog) {
                      dialog->server->SetValue(wxString::FromUTF8(mail.Url()));
                      dialog->user->SetValue("ann");
                      wxCommandEvent click(wxEVT_BUTTON, ID_TEST_CONNECTION);
                      dialog->ProcessWindowEvent(click);
                      shown = Utf8(dialog->connection->GetLabel());
                      std::replace(shown.begin(), shown.end(), '\n', ' ');  // wrapped to the fields' width
                      return wxID_CANCEL;
                  }),
                  ExpectPassword("wrong"));
    EXPECT_EQ(shown,
              "The connection failed: authentication failed: 535 5.7.8 Authentication credentials invalid");
    EXPECT_TRUE(mail.Receivers().empty());
}

// The edited subject and note go out; the refused then leave the list.
TEST_F(SendCommandsTest, SendsTheEditedTextOnceEachAndRemovesTheRefused)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail", {"--auth", "ann:s3cret", "--script", "b@y.org=550"});
    UseServer(mail.Url(), "ann");
    frame().MarkUnchanged("");
    long rows = 0;
    ShownBox question;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview([](SendPreviewDialog* preview) {
                      preview->subject->SetValue("Notely 2.1 is out");
                      preview->note->SetValue("Embargoed until Monday.");
                      return wxID_OK;
                  }),
                  ExpectBox(wxID_OK, &question), ExpectPassword("s3cret"),
                  ExpectSummary([&](SendSummaryDialog* summary) {
                      rows = summary->list->GetItemCount();
                      return ID_REMOVE_REFUSED;
                  }));
    EXPECT_EQ(question.text, "Send the release to 2 receivers now? Less than a minute.");
    EXPECT_EQ(question.style & (wxOK | wxCANCEL | wxCANCEL_DEFAULT), wxOK | wxCANCEL | wxCANCEL_DEFAULT);
    EXPECT_EQ(mail.Receivers(), std::vector<std::string>{"a@x.org"});
    ASSERT_EQ(mail.Messages().size(), 1u);
    EXPECT_NE(mail.Messages()[0].find("Subject: Notely 2.1 is out"), std::string::npos);
    EXPECT_NE(mail.Messages()[0].find("Embargoed until Monday."), std::string::npos);
    EXPECT_EQ(rows, 2);  // b@y.org refused, broken@ skipped
    EXPECT_EQ(Utf8(app().controls.receivers->GetValue()), "a@x.org; A@X.ORG; broken@\n");
    EXPECT_TRUE(frame().HasUnsavedChanges());
    // The server said b@y.org does not exist: the next release leaves it out.
    EXPECT_EQ(StatusText().rfind("Sent: 1, refused: 1, left to send: 0, not addresses: 1. 1 refused as an "
                                 "unknown address was put on the do-not-send list: b@y.org.",
                                 0),
              0u)
        << StatusText();
    const Result<DoNotSendList> list = DoNotSendListOf("ada@example.org");
    ASSERT_TRUE(list && list->Find("b@y.org"));
    EXPECT_EQ(list->Find("b@y.org")->reason, DoNotSendReason::Refused);
}

// c@z.org bounced earlier; b@y.org is put on the list from the send window.
TEST_F(SendCommandsTest, TheDoNotSendListIsLeftOutAlsoWhenChangedFromTheSendWindow)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail");
    UseServer(mail.Url());
    app().controls.receivers->SetValue("a@x.org; b@y.org; c@z.org");
    std::tm day{};
    day.tm_year = 126, day.tm_mon = 11, day.tm_mday = 7, day.tm_hour = 12, day.tm_isdst = -1;
    Result<DoNotSendList> list = DoNotSendListOf("ada@example.org");
    ASSERT_TRUE(list &&
                list->Add({"c@z.org", DoNotSendReason::Bounced, std::mktime(&day), "5.1.1 user unknown"}));
    std::string before, after, message;
    std::vector<std::string> rows;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview([&](SendPreviewDialog* preview) {
                      before = Utf8(preview->skippedList->GetValue());
                      message = Utf8(preview->message->GetValue());
                      wxCommandEvent click(wxEVT_BUTTON, ID_DO_NOT_SEND_LIST);
                      preview->ProcessWindowEvent(click);
                      after = Utf8(preview->skippedList->GetValue());
                      return wxID_OK;
                  }),
                  ExpectWindow<DoNotSendDialog>([](DoNotSendDialog* dialog) {
                      wxCommandEvent click(wxEVT_BUTTON, wxID_ADD);
                      dialog->ProcessWindowEvent(click);
                      return wxID_CLOSE;
                  }),
                  ExpectWindow<wxTextEntryDialog>([](wxTextEntryDialog* ask) {
                      ask->SetValue("b@y.org");
                      return wxID_OK;
                  }),
                  ExpectBox(wxID_OK, nullptr), ExpectSummary([&](SendSummaryDialog* summary) {
                      for (long row = 0; row < summary->list->GetItemCount(); ++row)
                          rows.push_back(Utf8(summary->list->GetItemText(row, 0) + " " +
                                              summary->list->GetItemText(row, 2)));
                      return wxID_CLOSE;
                  }));
    EXPECT_EQ(before, "\"c@z.org\": bounced on 2026-12-07: 5.1.1 user unknown\n");
    EXPECT_EQ(after.rfind("\"b@y.org\": taken off by hand on ", 0), 0u) << after;
    EXPECT_NE(after.find(before), std::string::npos) << after;
    EXPECT_NE(message.find("\n\nTo receive no more press releases from us, reply"), std::string::npos)
        << message;
    EXPECT_EQ(mail.Receivers(), std::vector<std::string>{"a@x.org"});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("b@y.org taken off by hand on ", 0), 0u) << rows[0];
    EXPECT_EQ(rows[1], "c@z.org bounced on 2026-12-07: 5.1.1 user unknown");
}

// The same user and password as sending; the IMAP address typed is kept.
TEST_F(SendCommandsTest, CheckRepliesReadsTheMailServerWithTheLoginOfSending)
{
    if (access("/usr/sbin/dovecot", X_OK) != 0)
        GTEST_SKIP() << "dovecot is not installed (dovecot-imapd)";
    const std::string folder = home_->sandbox() + "/imap";
    for (const char* subfolder : {"/Maildir/cur", "/Maildir/new", "/Maildir/tmp"})
        std::filesystem::create_directories(folder + subfolder);
    WriteFileBytes(folder + "/Maildir/new/1765101600.1.mx",
                   "From: Lea <leave@example.org>\r\nTo: press@acme.com\r\nSubject: unsubscribe\r\n\r\n");
    LocalSmtpServer imap(folder, {}, VANTREL_TEST_SUPPORT_DIR "/imap_server.py");
    MailSettings settings;
    settings.server = "smtp://127.0.0.1:1";  // never reached
    settings.user = "reader";
    settings.sender = "press@acme.com";
    ASSERT_TRUE(WriteMailSettings(settings));
    const std::string url = imap.Url("imap");
    std::vector<std::string> found;
    wxTEST_DIALOG(
        SendMenuCommand(ID_CHECK_REPLIES), ExpectWindow<CheckRepliesDialog>([&](CheckRepliesDialog* ask) {
            ask->imapUrl->SetValue(wxString::FromUTF8(url));
            return ask->fromServer->GetValue() ? wxID_OK : wxID_CANCEL;
        }),
        ExpectPassword("secret"), ExpectWindow<ReplyFindingsDialog>([&](ReplyFindingsDialog* dialog) {
            for (long row = 0; row < dialog->list->GetItemCount(); ++row)
                found.push_back(
                    Utf8(dialog->list->GetItemText(row, 0) + " " + dialog->list->GetItemText(row, 1)));
            return wxID_CLOSE;
        }));
    EXPECT_EQ(found, std::vector<std::string>{"leave@example.org unsubscribed"});
    EXPECT_EQ(ReadMailSettings().imapServer, url);
}

TEST_F(SendCommandsTest, ASecondSendOfTheReleaseWaitsForTheFirst)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail");
    UseServer(mail.Url());
    const DeliveryPlan plan = PlanOfForm();
    Result<SendLedger> running = OpenReleaseLedger(plan, ReleaseSubject(app().ReadForm())).ledger;
    ASSERT_TRUE(running);
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectBox(wxID_OK, &box));
    ExpectInformationBox(box, &frame(), "A send of this release is already running; nothing was sent.",
                         "Send");
    EXPECT_TRUE(mail.Receivers().empty());
}

// A second run with another subject: the choice between the rest and
// everyone, and everyone chosen.
TEST_F(SendCommandsTest, ANewTextGoesToEveryoneWhenChosen)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail");
    UseServer(mail.Url());
    std::string first, again, earlier, send, nothing;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview([&](SendPreviewDialog* preview) {
                      first = Utf8(preview->factsText->GetLabel() + "\n" + preview->sendNow->GetLabel());
                      return wxID_OK;
                  }),
                  ExpectBox(wxID_OK, nullptr), ExpectSummary(wxID_CLOSE));
    ShownBox question;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview([&](SendPreviewDialog* preview) {
                      again = Utf8(preview->sendNow->GetLabel());
                      preview->subject->SetValue("Notely 2.1 is out");
                      PumpEvents(500);  // the standing follows once typing stops
                      earlier = Utf8(preview->earlierText->GetLabel());
                      send =
                          Utf8(preview->send->GetLabelText()) + (preview->send->IsEnabled() ? "" : " (greyed)");
                      nothing = Utf8(preview->sendNow->GetLabel());
                      return ID_SEND_EVERYONE;
                  }),
                  ExpectBox(wxID_OK, &question), ExpectSummary(wxID_CLOSE));
    EXPECT_EQ(first,
              "Receivers: 2\nLeft out: 1 entry is not an address\nServer: " + mail.Url() +
                  "\nSender: Ada Moor <ada@example.org>\nTo send now: 2, less than a minute");
    EXPECT_EQ(again,
              "Already have this release: 2\nNothing to send: every receiver already has this release.");
    EXPECT_EQ(earlier.substr(0, 59), "2 receivers already got an earlier text of this release (la");
    EXPECT_EQ(send, "Send to the 0 Others Only (greyed)");
    EXPECT_EQ(nothing,
              "Nothing to send now: every receiver already has this release or an earlier text of it.");
    EXPECT_EQ(question.text, "Send the release to 2 receivers now? Less than a minute.");
    EXPECT_EQ(mail.Receivers(), (std::vector<std::string>{"a@x.org", "b@y.org", "a@x.org", "b@y.org"}));
}

// A run that died with a message in flight left a@x.org in doubt.
TEST_F(SendCommandsTest, ReceiversInDoubtGetItAgainOnlyWhenAsked)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail");
    UseServer(mail.Url());
    {
        DeliveryPlan plan = PlanOfForm();
        plan.subject = ReleaseSubject(app().ReadForm());
        Result<SendLedger> died = OpenReleaseLedger(plan, plan.subject).ledger;
        ASSERT_TRUE(died);
        ASSERT_TRUE(died->RecordSending("a@x.org", TextIdOf(plan)));
    }
    std::string inDoubt;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview([&](SendPreviewDialog* preview) {
                      inDoubt = Utf8(preview->inDoubt->GetLabel());
                      preview->againInDoubt->SetValue(true);
                      return wxID_OK;
                  }),
                  ExpectBox(wxID_OK, nullptr), ExpectSummary(wxID_CLOSE));
    EXPECT_EQ(inDoubt,
              "1 receiver is in doubt: an earlier run sent them the release but never heard whether the "
              "server took it");
    EXPECT_EQ(mail.Receivers(), (std::vector<std::string>{"a@x.org", "b@y.org"}));
}

// The server never answers a@x.org's message: Cancel must end it at once,
// not after the five minutes' time limit, and leave it in doubt.
TEST_F(SendCommandsTest, CancelEndsTheMessageInFlightAtOnce)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail", {"--script", "a@x.org=hang"});
    UseServer(mail.Url());
    // As the user does: the window's own events are all it takes in while
    // a message travels, so a key from outside, not a timer, presses Cancel.
    const char* press =
        "xdotool search --sync --onlyvisible --name '^Sending$' windowfocus --sync; sleep 1.5; "
        "xdotool search --onlyvisible --name '^Sending$' windowfocus --sync key Escape";
    const wxString script(press);
    const wchar_t* argv[] = {L"sh", L"-c", script.wc_str(), nullptr};
    ASSERT_GT(wxExecute(argv, wxEXEC_ASYNC), 0);
    std::vector<std::string> rows;
    wxStopWatch watch;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview(wxID_OK), ExpectBox(wxID_OK, nullptr),
                  ExpectSummary([&](SendSummaryDialog* summary) {
                      for (long row = 0; row < summary->list->GetItemCount(); ++row)
                          rows.push_back(Utf8(summary->list->GetItemText(row, 0) + " " +
                                              summary->list->GetItemText(row, 1)));
                      return wxID_CLOSE;
                  }));
    EXPECT_LT(watch.Time(), 30000);
    EXPECT_EQ(rows, (std::vector<std::string>{"a@x.org in doubt", "b@y.org left", "broken@ skipped"}));
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

TEST_F(SendCommandsTest, TheStatusLineCountsTheReceiversOnceTypingStops)
{
    app().controls.receivers->SetValue("a@x.org; b@y.org; A@X.ORG; broken@; c@z.org");
    EXPECT_EQ(StatusText(), "");
    PumpEvents(PressReleaseApp::kCountAfterMilliseconds + 200);
    EXPECT_EQ(StatusText(), "3 receivers; 1 entry is not an address (\"broken@\"); 1 twice");
}

// Typed as a user types, through the X server: Return in the subject sends
// nothing, and Cancel at the question neither.
TEST_F(SendCommandsTest, ReturnInTheSubjectSendsNothing)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail");
    UseServer(mail.Url());
    std::string typed;
    ShownBox question;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview([&](SendPreviewDialog* preview) {
                      preview->Show();
                      preview->Raise();
                      PumpEvents(300);
                      wxUIActionSimulator keys;
                      keys.Text(" (embargo)");
                      keys.Char(WXK_RETURN);
                      PumpEvents(500);
                      typed = Utf8(preview->subject->GetValue());
                      preview->Hide();
                      return wxID_OK;
                  }),
                  ExpectBox(wxID_CANCEL, &question), ExpectPreview(wxID_CANCEL));
    EXPECT_EQ(typed, "Press release from Tarsel Soft (embargo)");
    EXPECT_EQ(question.text, "Send the release to 2 receivers now? Less than a minute.");
    EXPECT_TRUE(mail.Receivers().empty());
}

// The document's receivers were cut at a zero byte when it was opened:
// the cut list is not sent until the user has looked at it and edited it.
TEST_F(SendCommandsTest, ReceiversCutAtAZeroByteAreNotSentUntilEdited)
{
    LocalSmtpServer mail(home_->sandbox() + "/mail");
    UseServer(mail.Url());
    FormValues form = app().ReadForm();
    form.receivers = std::string("a@x.org\0b@y.org", 15);
    const std::string path = home_->sandbox() + "/cut.pre";
    WriteFileBytes(path, WriteDocumentBytes(form, 0));
    wxTEST_DIALOG(SendMenuCommand(ID_OPEN), ExpectBox(wxID_NO, nullptr).Optional(), ExpectFileDialog(path),
                  ExpectBox(wxID_OK, nullptr));
    ShownBox refused;
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectBox(wxID_OK, &refused));
    ExpectInformationBox(
        refused, &frame(),
        "The document's receivers are cut at a zero byte: what follows it is left out.\n\n"
        "Nothing was sent: the document holds a zero byte. Look at the receivers and correct "
        "them, then send again.",
        "Send");
    app().controls.receivers->AppendText(" b@y.org");
    wxTEST_DIALOG(SendMenuCommand(ID_SEND_TO_RECEIVERS), ExpectPreview(wxID_OK), ExpectBox(wxID_OK, nullptr),
                  ExpectSummary(wxID_CLOSE));
    EXPECT_EQ(mail.Receivers(), (std::vector<std::string>{"a@x.org", "b@y.org"}));
}

// 1,000 refusals: the list scrolls and the window stays on the screen.
TEST_F(SendCommandsTest, TheSummaryOfManyRefusalsFitsTheScreen)
{
    const DeliverySummary summary = RefusedSummary(1000);
    SendSummaryDialog dialog(&frame(), summary, NotReached(summary, {}));
    dialog.Show();
    PumpEvents();
    const wxRect screen = wxDisplay().GetClientArea();
    EXPECT_EQ(dialog.list->GetItemCount(), 1000);
    EXPECT_LE(dialog.GetSize().y, screen.height);
    EXPECT_LE(dialog.GetSize().x, screen.width);
    EXPECT_TRUE(screen.Contains(dialog.GetScreenRect()));
}

TEST_F(SendCommandsTest, TheSummaryCopiesAndSavesTheRowsNotReached)
{
    const DeliverySummary summary = RefusedSummary(2);
    const std::vector<ReportRow> rows = NotReached(summary, {{"broken@", "has nothing after the at sign"}});
    SendSummaryDialog dialog(&frame(), summary, rows);
    dialog.CopyRows();
    EXPECT_EQ(ReadClipboardFromOutside(),
              "r0@x.org\trefused\t550 no such user\nr1@x.org\trefused\t550 no such "
              "user\nbroken@\tskipped\thas nothing after the at sign\n");
    const std::string path = home_->sandbox() + "/not-reached.csv";
    wxTEST_DIALOG(dialog.SaveRows(), ExpectFileDialog(path));
    EXPECT_EQ(ReadFileBytes(path), ReportCsv(rows));
}

}  // namespace
