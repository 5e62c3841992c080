// The Settings menu of the application: the receiver delimiter, and
// exporting and importing receiver lists, and the mail server.
#include "core/documents/ReceiverFile.h"
#include "core/files/FileMessages.h"
#include "core/files/SafeFileWriter.h"
#include "core/receivers/ReceiverList.h"
#include "gui/CommandIds.h"
#include "gui/FileDialogs.h"
#include "gui/MailServerDialog.h"
#include "gui/Messages.h"
#include "gui/NativeFieldStyle.h"
#include "gui/PressReleaseApp.h"
#include "gui/PressReleaseFrame.h"

// The four items are check items, not radio items, so all four marks are
// set here to keep exactly one of them checked.
void PressReleaseApp::SetReceiverDelimiter(int delimiter)
{
    receiverDelimiter = delimiter;
    if (!IsMenuDelimiter(delimiter))
        return;
    for (int item = ID_DELIMITER_SEMICOLON; item <= ID_DELIMITER_NEWLINE; ++item)
        settingsMenu->Check(item, item - ID_DELIMITER_SEMICOLON == delimiter);
}

void PressReleaseApp::OnDelimiter(wxCommandEvent& event)
{
    SetReceiverDelimiter(event.GetId() - ID_DELIMITER_SEMICOLON);
    mainWindow->MarkChanged();  // the delimiter is saved with the document
}

void PressReleaseApp::OnExportReceivers(wxCommandEvent&)
{
    const std::string path = ChooseFile(mainWindow, "Export email addresses", "*.csv", wxFD_SAVE);
    if (path.empty())
        return;
    const std::optional<JoinedReceivers> collected =
        ReceiversToHandOut(FieldText(controls.receivers), kSaveFailedCaption);
    if (!collected)
        return;
    if (!WriteFileAtomically(path, ReceiverExportBytes(collected->joined))) {
        ShowInformation(mainWindow, kCannotSaveText, kSaveFailedCaption);
        return;
    }
    const std::string leftOut = LeftOutText(*collected);
    mainWindow->ShowStatus("Receivers exported to " + path + (leftOut.empty() ? "" : ". " + leftOut));
}

void PressReleaseApp::OnImportReceivers(wxCommandEvent&)
{
    const std::string path = ChooseFile(mainWindow, "Import email addresses", "*.csv", wxFD_OPEN);
    if (path.empty())
        return;
    const Result<std::string> bytes = ReadWholeFile(path, kMaxImportBytes);
    if (!bytes) {
        ShowInformation(mainWindow, ReadFailureText(path, bytes.failure(), kMaxImportBytes),
                        kOpenFailedCaption);
        return;
    }
    const std::string text = ReceiversFromImportBytes(*bytes);
    controls.receivers->SetValue(wxString::FromUTF8(text.data(), text.size()));
    mainWindow->ShowStatus("Receivers imported from " + path);
}

// The dialog checks what is typed before OK ends it; a wrong value that
// still comes back (a test's answer) is shown the same way, in the dialog.
void PressReleaseApp::OnMailServer(wxCommandEvent&)
{
    const MailSettings before = ReadMailSettings();
    MailServerDialog dialog(mainWindow, before);
    while (dialog.ShowModal() == wxID_OK) {
        if (!dialog.ShowProblem())
            continue;
        if (!WriteMailSettings(dialog.Settings())) {
            ShowInformation(mainWindow, "The mail server settings cannot be saved.", kMailServerCaption);
            return;
        }
        ApplyLoginChoice(before, dialog);
        return;
    }
}

// Counting a long list takes a moment, so it waits until the typing stops.
void PressReleaseApp::CountReceiversSoon() { receiverCount_.StartOnce(kCountAfterMilliseconds); }

// The count of the field as it stands makes a pending one needless; the
// text shows at once, the count follows it when done. Text counted before
// is not counted again.
void PressReleaseApp::ShowStatusWithCount(const std::string& text, std::string receivers)
{
    receiverCount_.Stop();
    mainWindow->ShowStatus(text);
    const std::string prefix = text + (text.empty() ? "" : " ");
    const std::uint64_t version = FieldTextVersion(controls.receivers);
    if (!counter_->ShowKnown(prefix, version))
        counter_->Count(prefix, std::move(receivers), version);
}

// The same, reading the field only when its text was not counted yet.
void PressReleaseApp::ShowStatusWithCount(const std::string& text)
{
    receiverCount_.Stop();
    mainWindow->ShowStatus(text);
    const std::string prefix = text + (text.empty() ? "" : " ");
    const std::uint64_t version = FieldTextVersion(controls.receivers);
    if (!counter_->ShowKnown(prefix, version))
        counter_->Count(prefix, FieldText(controls.receivers), version);
}

void PressReleaseApp::ShowCount(const std::string& prefix, const ReceiverCounts& counts)
{
    mainWindow->ShowStatus(prefix + ReceiverCountText(counts));
    if (!markLeftOut_)
        return;
    markLeftOut_ = false;
    if (counts.skipped == 0)
        ClearFieldNotice(controls.receivers);
    else
        MarkFieldNotice(controls.receivers,
                        "Left out when sending, and by Email and Export:\n" +
                            SkippedReceiversText(counts.firstSkipped, counts.skipped));
}

void PressReleaseApp::OnReceiverCount(wxTimerEvent&)
{
    const std::uint64_t version = FieldTextVersion(controls.receivers);
    if (!counter_->ShowKnown("", version))
        counter_->Count("", FieldText(controls.receivers), version);
}
