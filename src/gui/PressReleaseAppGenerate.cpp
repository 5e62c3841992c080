// The Generate menu of the application: the check, the release file, the
// e-mail draft and sending through the mail server.
#include <wx/clipbrd.h>
#include <wx/textdlg.h>

#include "core/checks/CheckReport.h"
#include "core/checks/FieldProblems.h"
#include "core/files/FileMessages.h"
#include "core/files/SafeFileWriter.h"
#include "core/mail/MailMessage.h"
#include "core/mail/ReleaseDelivery.h"
#include "core/release/MailtoRequest.h"
#include "core/release/PressReleaseComposer.h"
#include "core/release/ReceiverList.h"
#include "core/release/ReleaseFile.h"
#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"
#include "gui/DesktopLauncher.h"
#include "gui/Messages.h"
#include "gui/PressReleaseApp.h"
#include "gui/PressReleaseFrame.h"
#include "gui/ProbeWindow.h"
#include "gui/SendPreviewDialog.h"
#include "gui/SendProgress.h"

namespace {

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

SendPreview PreviewOf(const DeliveryPlan& plan, const ReceiverSelection& selection, const SendLedger& ledger,
                      const std::string& server)
{
    SendPreview preview;
    preview.receivers = plan.receivers.size();
    for (const std::string& receiver : plan.receivers)
        preview.alreadySent += ledger.HasSent(receiver) ? 1 : 0;
    preview.skipped = selection.skipped.size();
    for (const SkippedReceiver& skipped : selection.skipped)
        preview.skippedList += "\"" + skipped.text + "\": " + skipped.reason + "\n";
    preview.server = server;
    preview.sender =
        plan.sender.name.empty() ? plan.sender.address : plan.sender.name + " <" + plan.sender.address + ">";
    preview.subject = plan.subject;
    // As a mail program shows it: the headers that matter and the release,
    // not the encoded text on the wire.
    const std::string first = plan.receivers.empty() ? plan.sender.address : plan.receivers.front();
    preview.message =
        "From: " + preview.sender + "\nTo: " + first + "\nSubject: " + plan.subject + "\n\n" + plan.body;
    return preview;
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

}  // namespace

CheckErrors PressReleaseApp::CheckSettings(CheckValues& values, bool showProgress)
{
    // The probe windows disable the form, which loses its focus; without a
    // focused control the window's keys (Ctrl+S and the others) go nowhere.
    wxWindow* focused = wxWindow::FindFocus();
    WindowUrlProber prober(showProgress);
    const CheckErrors errors = ::CheckSettings(ReadForm(Receivers::Skip), values, prober);
    if (focused && focused != wxWindow::FindFocus())
        focused->SetFocus();
    ShowFieldProblems(controls, FieldProblems(errors, values));
    return errors;
}

void PressReleaseApp::ShowCheckErrors(CheckErrors errors, const CheckValues& values)
{
    ShowInformation(mainWindow, CheckErrorsText(errors, values), kCheckErrorsCaption);
}

// Runs the whole check with its probe windows; when anything fails the
// "Errors" box is shown and nothing may be generated.
bool PressReleaseApp::FormPassesCheck()
{
    CheckValues values;
    const CheckErrors errors = CheckSettings(values, true);
    if (errors != 0)
        ShowCheckErrors(errors, values);
    return errors == 0;
}

void PressReleaseApp::OnCheckEverything(wxCommandEvent&)
{
    CheckValues values;
    const CheckErrors errors = CheckSettings(values, true);
    if (errors == 0)
        ShowInformation(mainWindow, kCheckOkText, kCheckOkCaption);
    else
        ShowCheckErrors(errors, values);
}

void PressReleaseApp::OnGenerateTextFile(wxCommandEvent&)
{
    if (!FormPassesCheck())
        return;
    const FormValues form = ReadForm(Receivers::Skip);
    const std::string text = ReleaseFileText(form.companyName, ComposePressRelease(form));
    const Result<std::string> installPath = ReadSetting(kSettingsKeyPath, kInstallPathSetting);
    const std::string path = ReleaseFilePath(installPath ? *installPath : std::string());
    if (path.empty() || !WriteFileAtomically(path, text, Links::Replace)) {
        ShowInformation(mainWindow, kCannotSaveText, kSaveFailedCaption);
        return;
    }
    OpenWithDesktop(path);
    mainWindow->ShowStatus("Press release written to " + path);
}

void PressReleaseApp::OnGenerateEmail(wxCommandEvent&)
{
    if (!FormPassesCheck())
        return;
    const FormValues form = ReadForm();
    const Result<std::string> bcc = CollectReceivers(form.receivers, receiverDelimiter);
    // Escaping never makes a text shorter: a Bcc list longer than the
    // request may be is not escaped at all (megabytes, for nothing).
    const bool mayFit = bcc && bcc->size() <= MaxLaunchRequestBytes();
    const std::string request =
        mayFit ? MailtoRequest(form.contactEmail, *bcc, form.companyName) : std::string();
    const bool fits = mayFit && request.size() <= MaxLaunchRequestBytes();
    if (fits)
        OpenWithDesktop(request);
    PutOnClipboard(ComposePressRelease(form));
    mainWindow->ShowStatus(fits ? EmailDraftNote(receiverDelimiter) : kNoDraftNote);
    if (!fits)
        ShowInformation(mainWindow, kRequestTooLongText, kEmailCaption);
}

void PressReleaseApp::OnSendToReceivers(wxCommandEvent&)
{
    if (!FormPassesCheck())
        return;
    const FormValues form = ReadForm();
    const MailSettings settings = ReadMailSettings();
    DeliveryPlan plan;
    plan.sender = ReleaseSender(form, settings.sender);
    plan.subject = ReleaseSubject(form);
    plan.body = ComposePressRelease(form);
    plan.perMinute = settings.perMinute;
    if (const std::string problem = SendingProblem(settings, plan.sender); !problem.empty()) {
        ShowInformation(mainWindow, problem, kSendCaption);
        return;
    }
    const Result<ReceiverSelection> selection = SelectReceivers(form.receivers);
    if (!selection) {
        ShowInformation(mainWindow, kReceiverListTooLongText, kSendCaption);
        return;
    }
    plan.receivers = selection->addresses;
    Result<SendLedger> ledger = SendLedger::Open(LedgerPathFor(plan));
    if (!ledger) {
        ShowInformation(mainWindow,
                        "The record of who has the release cannot be kept in " + LedgerPathFor(plan) +
                            ", so nothing is sent.",
                        kSendCaption);
        return;
    }

    SmtpServer server;
    server.url = settings.server;
    server.user = settings.user;
    SendPreviewDialog preview(mainWindow, PreviewOf(plan, *selection, *ledger, settings.server));
    for (;;) {
        const int choice = preview.ShowModal();
        if (choice != wxID_OK && choice != ID_SEND_TEST)
            return;
        if (!server.user.empty() && server.password.empty()) {
            wxPasswordEntryDialog ask(mainWindow,
                                      "Password of " + wxString::FromUTF8(server.user) + " at " +
                                          wxString::FromUTF8(server.url) + ":",
                                      "Mail Server Password");
            if (ask.ShowModal() != wxID_OK)
                return;
            server.password = ask.GetValue().utf8_string();
        }
        if (choice == wxID_OK)
            break;
        // A test goes to the sender alone and is recorded nowhere.
        DeliveryPlan test = plan;
        test.receivers = {plan.sender.address};
        const DeliverySummary tested = SendWithProgress(mainWindow, test, server, nullptr);
        ShowInformation(mainWindow,
                        tested.sent == 1
                            ? "A test message went to " + plan.sender.address + "."
                            : "The test message could not be sent.\n\n" + DeliverySummaryText(tested),
                        kSendCaption);
    }
    const DeliverySummary summary = SendWithProgress(mainWindow, plan, server, &*ledger);
    ShowInformation(mainWindow, DeliverySummaryText(summary), kSendCaption);
}
