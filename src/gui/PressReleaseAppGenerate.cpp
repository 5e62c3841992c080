// The Generate menu of the application: the check, the release file, the
// e-mail draft, sending through the mail server, the do-not-send list and
// the replies to a release.
#include <wx/clipbrd.h>

#include "core/checks/CheckReport.h"
#include "core/checks/FieldProblems.h"
#include "core/files/FileMessages.h"
#include "core/files/LineEnds.h"
#include "core/files/SafeFileWriter.h"
#include "core/mail/MailMessage.h"
#include "core/mail/ReleaseDelivery.h"
#include "core/receivers/ReceiverList.h"
#include "core/release/MailtoRequest.h"
#include "core/release/PressReleaseComposer.h"
#include "core/release/ReleaseFile.h"
#include "core/replies/DoNotSendList.h"
#include "core/settings/SettingsStore.h"
#include "core/signin/TokenSource.h"
#include "gui/CheckRepliesDialog.h"
#include "gui/CommandIds.h"
#include "gui/DesktopLauncher.h"
#include "gui/DoNotSendDialog.h"
#include "gui/MailServerDialog.h"
#include "gui/Messages.h"
#include "gui/PressReleaseApp.h"
#include "gui/PressReleaseFrame.h"
#include "gui/ProbeWindow.h"
#include "gui/ReplyCheckProgress.h"
#include "gui/ReplyFindingsDialog.h"
#include "gui/SendPreviewDialog.h"
#include "gui/SendProgress.h"
#include "gui/SendSummaryDialog.h"

namespace {

constexpr const char* kDoNotSendCaption = "Do-Not-Send List";
constexpr const char* kRepliesCaption = "Check Replies";

// Plain text that stays available after the program ends (where the
// desktop keeps clipboard contents).
void PutOnClipboard(const std::string& text)
{
    if (!wxTheClipboard->Open())
        return;
    wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(text.data(), text.size())));
    wxTheClipboard->Flush();
    wxTheClipboard->Close();
}

std::string MailboxText(const Mailbox& mailbox)
{
    return mailbox.name.empty() ? mailbox.address : mailbox.name + " <" + mailbox.address + ">";
}

// The receivers of a send and the entries skipped: first those that are
// no address, then the listed ones, the do-not-send list's.
struct Chosen {
    ReceiverSelection selection;
    std::size_t listed = 0;
};

SendFacts FactsOf(const DeliveryPlan& plan, const Chosen& chosen, const std::string& server)
{
    SendFacts facts;
    facts.receivers = plan.receivers.size();
    facts.listed = chosen.listed;
    facts.notAddresses = chosen.selection.skipped.size() - chosen.listed;
    for (const SkippedReceiver& skipped : chosen.selection.skipped)
        facts.skippedList += "\"" + skipped.text + "\": " + skipped.reason + "\n";
    facts.server = server;
    facts.sender = MailboxText(plan.sender);
    facts.senderAddress = plan.sender.address;
    facts.perMinute = plan.perMinute;
    return facts;
}

// As a mail program shows it: the headers that matter, the note, the
// release and the line on how to opt out, not the encoded text on the wire.
std::string PreviewMessage(const DeliveryPlan& plan)
{
    const std::string to = plan.receivers.empty() ? plan.sender.address : MailboxText(plan.receivers.front());
    const std::string body = MessageBody(plan);
    const std::string footer = plan.unsubscribeFooter
        ? (body.empty() || body.back() == '\n' ? "\n" : "\n\n") + UnsubscribeFooter(plan.unsubscribeUrl) +
            "\n"
        : std::string();
    return "From: " + MailboxText(plan.sender) + "\nTo: " + to + "\nSubject: " + plan.subject + "\n\n" +
        body + footer;
}

// Why nothing can be sent yet, or empty.
std::string SendingProblem(const MailSettings& settings, const Mailbox& sender)
{
    if (settings.server.empty())
        return "Please set the mail server first: Settings, Mail Server...";
    if (const std::string problem = ServerUrlSecurity(settings.server).problem; !problem.empty())
        return "Please correct the mail server (Settings, Mail Server...): " + problem + ".";
    if (const std::string problem = AddressProblem(sender.address); !problem.empty())
        return "The sender \"" + sender.address + "\" " + problem + ".";
    return {};
}

std::string LedgerProblem(Failure failure, const std::string& path)
{
    if (failure == Failure::Busy)
        return "A send of this release is already running; nothing was sent.";
    return "The record of who has the release cannot be read or kept in " + path + ", so nothing is sent.";
}

DeliveryPlan PlanOf(const FormValues& form, const MailSettings& settings)
{
    DeliveryPlan plan;
    plan.sender = ReleaseSender(form, settings.sender);
    plan.product = form.productName;
    plan.version = form.productVersion;
    plan.release = ComposePressRelease(form);
    plan.perMinute = settings.perMinute;
    plan.unsubscribeUrl = settings.unsubscribeUrl;
    plan.unsubscribeFooter = settings.unsubscribeFooter;
    return plan;
}

// The receivers of the field without those the sender's do-not-send list
// names, who join the skipped with the list's reason.
Result<Chosen> ReceiversToSend(std::string_view field, const std::string& sender)
{
    const Result<DoNotSendList> list = DoNotSendListOf(sender);
    if (!list)
        return list.failure();
    Chosen chosen{SelectReceivers(field)};
    for (SkippedReceiver& skipped : LeaveOutDoNotSend(chosen.selection.receivers, *list)) {
        chosen.selection.skipped.push_back(std::move(skipped));
        ++chosen.listed;
    }
    return Result<Chosen>(std::move(chosen));
}

// A dead address refused now would be refused again by the next release:
// it goes on the sender's list. What the summary says of that.
std::string ListTheDead(const std::string& sender, const DeliverySummary& summary)
{
    const std::vector<DoNotSendEntry> dead = RefusedAsDead(summary, std::time(nullptr));
    if (dead.empty())
        return {};
    Result<DoNotSendList> list = DoNotSendListOf(sender);
    if (const Result<> added = list ? list->AddAll(dead) : Result<>(list.failure()); !added)
        return DoNotSendProblem(added.failure(), DoNotSendPath(sender)) + " The " +
            std::to_string(dead.size()) + " refused as unknown stay off it.";
    return ListedAfterSendText(dead);
}

// The sender's list and replies are kept by its address.
bool SenderIsAddress(wxWindow* parent, const std::string& address, const char* caption)
{
    const std::string problem = AddressProblem(address);
    if (!problem.empty())
        ShowInformation(parent,
                        "The sender \"" + address + "\" " + problem +
                            ".\n\nPlease give it in Settings, Mail Server... or as the form's contact email.",
                        caption);
    return problem.empty();
}

// Replies from before the release's first message are about earlier mail;
// the reports after it are known by whom it went to, under which subjects.
SentRelease SentOf(const DeliveryPlan& plan, const std::string& defaultSubject)
{
    const ReleaseLedger ledger = PeekReleaseLedger(plan, defaultSubject);
    return ledger.ledger ? SentReleaseOf(*ledger.ledger) : SentRelease();
}

}  // namespace

std::optional<CheckErrors> PressReleaseApp::CheckSettings(CheckValues& values, bool showProgress)
{
    // The probe windows disable the form, which loses its focus; without a
    // focused control the window's keys (Ctrl+S and the others) go nowhere.
    wxWindow* focused = wxWindow::FindFocus();
    WindowUrlProber prober(showProgress);
    const std::optional<CheckErrors> errors = ::CheckSettings(ReadForm(Receivers::Skip), values, prober);
    if (focused && focused != wxWindow::FindFocus())
        focused->SetFocus();
    // A cancelled check found nothing out: the earlier marks stand.
    if (errors)
        ShowFieldProblems(controls, FieldProblems(*errors, values));
    else
        mainWindow->ShowStatus(kCheckCancelledText);
    return errors;
}

// The user goes on where the first correction is due.
void PressReleaseApp::ShowCheckErrors(CheckErrors errors, const CheckValues& values)
{
    {
        const ProblemTooltipsWithheld withheld(controls);
        ShowInformation(mainWindow, CheckErrorsText(errors, values), kCheckErrorsCaption);
    }
    if (wxWindow* first = FirstFieldWithProblem(controls))
        first->SetFocus();
}

// Runs the whole check with its probe windows; when anything fails the
// "Errors" box is shown and nothing may be generated, nor after a cancel.
bool PressReleaseApp::FormPassesCheck()
{
    CheckValues values;
    const std::optional<CheckErrors> errors = CheckSettings(values, true);
    if (errors && *errors != 0)
        ShowCheckErrors(*errors, values);
    return errors == CheckErrors{0};
}

void PressReleaseApp::OnCheckEverything(wxCommandEvent&)
{
    CheckValues values;
    const std::optional<CheckErrors> errors = CheckSettings(values, true);
    if (!errors)
        return;
    if (*errors == 0)
        ShowInformation(mainWindow, kCheckOkText, kCheckOkCaption);
    else
        ShowCheckErrors(*errors, values);
    // The boxes stay as they are; what the receivers leave out is marked
    // on the field once counted, and named on the status line.
    markLeftOut_ = true;
    ShowStatusWithCount("");
}

void PressReleaseApp::OnGenerateTextFile(wxCommandEvent&)
{
    if (!FormPassesCheck())
        return;
    const FormValues form = ReadForm(Receivers::Skip);
    const std::string text =
        WithLineEnds(ReleaseFileText(form.companyName, ComposePressRelease(form)), kTextFileLineEnds);
    const Result<std::string> installPath = ReadSetting(kSettingsKeyPath, kInstallPathSetting);
    const std::string path = ReleaseFilePath(installPath ? *installPath : std::string());
    if (path.empty() || !WriteFileAtomically(path, text, Links::Replace)) {
        ShowInformation(mainWindow, kCannotSaveText, kSaveFailedCaption);
        return;
    }
    OpenWithDesktop(path);
    ShowStatusWithCount("Press release written to " + path + ".");
}

std::string PressReleaseApp::SenderAddress() const
{
    return ReleaseSender(ReadForm(Receivers::Skip), ReadMailSettings().sender).address;
}

std::optional<JoinedReceivers> PressReleaseApp::ReceiversToHandOut(const std::string& field,
                                                                   const char* caption)
{
    const std::string sender = SenderAddress();
    const Result<DoNotSendList> list = DoNotSendListOf(sender);
    if (!list) {
        ShowInformation(mainWindow,
                        DoNotSendProblem(list.failure(), DoNotSendPath(sender)) +
                            "\n\nThe receivers were not handed out: nobody on the list may be among them.",
                        caption);
        return std::nullopt;
    }
    return CollectReceivers(field, receiverDelimiter, LeaveOutListed(*list));
}

void PressReleaseApp::OnGenerateEmail(wxCommandEvent&)
{
    if (!FormPassesCheck())
        return;
    const FormValues form = ReadForm();
    const std::optional<JoinedReceivers> bcc = ReceiversToHandOut(form.receivers, kEmailCaption);
    if (!bcc)
        return;
    // Escaping never makes a text shorter: a Bcc list longer than the
    // request may be is not escaped at all (megabytes, for nothing).
    const bool mayFit = bcc->joined.size() <= MaxLaunchRequestBytes();
    const std::string request =
        mayFit ? MailtoRequest(form.contactEmail, bcc->joined, form.companyName) : std::string();
    const bool fits = mayFit && request.size() <= MaxLaunchRequestBytes();
    const bool answered = fits && OpenWithDesktop(request);
    PutOnClipboard(ComposePressRelease(form));
    // The count that follows names the entries that are no address.
    const std::string listed = ListedLeftOutText(*bcc);
    ShowStatusWithCount((fits ? EmailDraftNote(receiverDelimiter, answered) : std::string(kNoDraftNote)) +
                        (listed.empty() ? "" : " " + listed));
    if (!fits)
        ShowInformation(mainWindow, kRequestTooLongText, kEmailCaption);
}

// The ledger stays open (and locked) from the send window to the summary,
// so a second send of the release, here or in a script, waits its turn.
void PressReleaseApp::OnSendToReceivers(wxCommandEvent&)
{
    // What the field shows is not the whole list the document holds.
    if (receiversCut_) {
        std::string notSent = kNotSentForZeroByteText;
        notSent[0] = 'N';
        ShowInformation(mainWindow,
                        "The document's receivers are cut at a zero byte: what follows it is left out.\n\n" +
                            notSent + ". Look at the receivers and correct them, then send again.",
                        kSendCaption);
        return;
    }
    if (!FormPassesCheck())
        return;
    const FormValues form = ReadForm();
    const MailSettings settings = ReadMailSettings();
    DeliveryPlan plan = PlanOf(form, settings);
    if (const std::string problem = SendingProblem(settings, plan.sender); !problem.empty()) {
        ShowInformation(mainWindow, problem, kSendCaption);
        return;
    }
    Chosen chosen;
    // Again after the list was shown from the send window: it may have changed.
    const auto select = [&] {
        Result<Chosen> receivers = ReceiversToSend(form.receivers, plan.sender.address);
        if (!receivers) {
            ShowInformation(mainWindow,
                            DoNotSendProblem(receivers.failure(), DoNotSendPath(plan.sender.address)) +
                                "\n\nNothing was sent.",
                            kSendCaption);
            return false;
        }
        chosen = std::move(*receivers);
        plan.receivers = std::move(chosen.selection.receivers);
        return true;
    };
    if (!select())
        return;
    ReleaseLedger opened = OpenReleaseLedger(plan, ReleaseSubject(form));
    Result<SendLedger>& ledger = opened.ledger;
    if (!ledger) {
        ShowInformation(mainWindow, LedgerProblem(ledger.failure(), opened.path), kSendCaption);
        return;
    }
    // A resumed run sends the text the last one sent.
    const std::optional<LedgerText> latest = ledger->LatestText();
    SendPreviewDialog preview(
        mainWindow, FactsOf(plan, chosen, settings.server), latest ? latest->subject : ReleaseSubject(form),
        latest ? latest->note : "",
        [&](const std::string& subject, const std::string& note) {
            plan.subject = subject;
            plan.note = note;
            return SendStanding{StandingOf(plan, *ledger), PreviewMessage(plan)};
        },
        [&]() -> std::optional<SendFacts> {
            if (!select())
                return std::nullopt;
            return FactsOf(plan, chosen, settings.server);
        });
    SmtpServer server = MailServerOf(settings);
    MailLogin login(settings);
    if (!AskHowToSend(preview, plan, server, login))
        return;
    const DeliverySummary summary = SendWithProgress(mainWindow, plan, server, &*ledger);
    login.Sent(server, summary.sent > 0);
    const std::string listed = ListTheDead(plan.sender.address, summary);
    const std::vector<SkippedReceiver>& skipped = chosen.selection.skipped;
    SendSummaryDialog dialog(mainWindow, summary, NotReached(summary, skipped), listed);
    if (dialog.ShowModal() == ID_REMOVE_REFUSED)
        RemoveRefused(summary);
    // Not the hint of an earlier Email, and counted after the refused left.
    ShowStatusWithCount(DeliveryStatusText(summary, skipped.size() - chosen.listed, chosen.listed) +
                        (listed.empty() ? "" : " " + listed));
    if (const auto* tokens = dynamic_cast<const RefreshingTokenSource*>(server.tokens.get());
        tokens && tokens->Refused())
        ShowInformation(mainWindow,
                        "The provider no longer accepts the sign-in, so the rest was not sent.\n\n"
                        "Please sign in again: Settings, Mail Server..., Sign In...",
                        kSendCaption);
}

// The send window comes back after each test; false when the user cancels
// it or the password question.
bool PressReleaseApp::AskHowToSend(SendPreviewDialog& preview, DeliveryPlan& plan, SmtpServer& server,
                                   MailLogin& login)
{
    for (;;) {
        const int choice = preview.ShowModal();
        plan.subject = preview.Subject();
        plan.note = preview.Note();
        plan.againInDoubt = preview.AgainInDoubt();
        if (choice != wxID_OK && choice != ID_SEND_EVERYONE && choice != ID_SEND_TEST)
            return false;
        if (choice != ID_SEND_TEST &&
            !SendNowAfterAll(preview.ToSend(choice == ID_SEND_EVERYONE), plan.perMinute))
            continue;
        if (!login.Prepare(mainWindow, server))
            return false;
        if (choice != ID_SEND_TEST) {
            plan.changed = choice == ID_SEND_EVERYONE ? ChangedText::All : ChangedText::Rest;
            return true;
        }
        SendTest(plan, server, login);
    }
}

// The one question before everyone is mailed, with Cancel (back to the
// send window) as the choice a stray key makes.
bool PressReleaseApp::SendNowAfterAll(std::size_t receivers, int perMinute)
{
    wxMessageDialog ask(mainWindow, wxString::FromUTF8(SendQuestionText(receivers, perMinute)), kSendCaption,
                        wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION);
    ask.SetOKCancelLabels("&Send", "&Cancel");
    return ask.ShowModal() == wxID_OK;
}

// A test goes to the sender alone and is recorded nowhere.
void PressReleaseApp::SendTest(const DeliveryPlan& plan, const SmtpServer& server, MailLogin& login)
{
    DeliveryPlan test = plan;
    test.receivers = {plan.sender};
    const DeliverySummary tested = SendWithProgress(mainWindow, test, server, nullptr);
    login.Sent(server, tested.sent == 1);
    ShowInformation(mainWindow,
                    tested.sent == 1
                        ? "A test message went to " + plan.sender.address + "."
                        : "The test message could not be sent.\n\n" + DeliveryTotalsText(tested, 0) +
                            (tested.receivers.empty() ? "" : "\n" + tested.receivers.front().reply),
                    kSendCaption);
}

void PressReleaseApp::RemoveRefused(const DeliverySummary& summary)
{
    std::vector<std::string> refused;
    for (const ReceiverOutcome& outcome : summary.receivers)
        if (outcome.state == ReceiverState::Refused)
            refused.push_back(outcome.address);
    RemoveFromReceivers(refused);
}

void PressReleaseApp::RemoveFromReceivers(const std::vector<std::string>& addresses)
{
    const std::string field = controls.receivers->GetValue().utf8_string();
    const std::string kept = RemoveReceivers(field, addresses);
    if (kept != field)
        controls.receivers->SetValue(wxString::FromUTF8(kept.data(), kept.size()));
}

// The list of the sender the send would use.
void PressReleaseApp::OnDoNotSendList(wxCommandEvent&)
{
    const std::string sender = SenderAddress();
    if (!SenderIsAddress(mainWindow, sender, kDoNotSendCaption))
        return;
    DoNotSendDialog dialog(mainWindow, sender);
    dialog.ShowModal();
}

// The mail server is read with the login a send would use; its IMAP
// address, once typed, is kept for the next time.
void PressReleaseApp::OnCheckReplies(wxCommandEvent&)
{
    MailSettings settings = ReadMailSettings();
    const FormValues form = ReadForm(Receivers::Skip);
    const DeliveryPlan plan = PlanOf(form, settings);
    if (!SenderIsAddress(mainWindow, plan.sender.address, kRepliesCaption))
        return;
    CheckRepliesDialog ask(mainWindow, settings, plan.sender.address);
    if (ask.ShowModal() != wxID_OK)
        return;
    ReplySource source = ask.Source();
    (void)RememberReplySource(plan.sender.address, source);  // only a convenience: chosen again next time
    const bool fromServer = source.kind == ReplySource::Kind::Server;
    SmtpServer server = MailServerOf(settings);
    MailLogin login(settings, "The mailbox was not read", kRepliesCaption);
    if (fromServer) {
        if (!login.Prepare(mainWindow, server))
            return;
        if (settings.imapServer != source.server.url) {
            settings.imapServer = source.server.url;
            (void)WriteMailSettings(settings);  // only a convenience: typed again next time
        }
        source.server.user = server.user;
        source.server.password = server.password;
        source.server.tokens = server.tokens;
        source.server.caFile = server.caFile;
    }
    const ReplyCheck check =
        CheckRepliesWithProgress(mainWindow, source, plan.sender.address, SentOf(plan, ReleaseSubject(form)));
    if (fromServer)
        login.Sent(server, check.reading.problem.empty() && !check.reading.cancelled);
    ShowReplyFindings(check, plan.sender.address);
}

void PressReleaseApp::ShowReplyFindings(const ReplyCheck& check, const std::string& senderAddress)
{
    if (check.summary.findings.empty() && check.summary.others.empty()) {
        ShowInformation(mainWindow,
                        "No bounces, complaints or unsubscribe requests were found.\n\n" + ReadingText(check),
                        kRepliesCaption);
        return;
    }
    ReplyFindingsDialog dialog(mainWindow, check, senderAddress);
    if (dialog.ShowModal() == ID_REMOVE_FROM_RECEIVERS)
        RemoveFromReceivers(dialog.CheckedAddresses());
}
