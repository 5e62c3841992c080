// The Generate menu of the application: the check, the release file and
// the e-mail draft.
#include <wx/clipbrd.h>

#include "core/checks/CheckReport.h"
#include "core/files/FileMessages.h"
#include "core/files/SafeFileWriter.h"
#include "core/release/MailtoRequest.h"
#include "core/release/PressReleaseComposer.h"
#include "core/release/ReceiverList.h"
#include "core/release/ReleaseFile.h"
#include "core/settings/SettingsStore.h"
#include "gui/DesktopLauncher.h"
#include "gui/Messages.h"
#include "gui/PressReleaseApp.h"
#include "gui/PressReleaseFrame.h"
#include "gui/ProbeWindow.h"

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

}  // namespace

CheckErrors PressReleaseApp::CheckSettings(CheckValues& values, bool showProgress)
{
    // The probe windows disable the form, which loses its focus; without a
    // focused control the window's keys (Ctrl+S and the others) go nowhere.
    wxWindow* focused = wxWindow::FindFocus();
    WindowUrlProber prober(showProgress);
    const CheckErrors errors = ::CheckSettings(ReadForm(), values, prober);
    if (focused && focused != wxWindow::FindFocus())
        focused->SetFocus();
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
    const FormValues form = ReadForm();
    const std::string text = ReleaseFileText(form.companyName, ComposePressRelease(form));
    const Result<std::string> installPath = ReadSetting(kSettingsKeyPath, kInstallPathSetting);
    const std::string path = ReleaseFilePath(installPath ? *installPath : std::string());
    if (path.empty() || !WriteFileAtomically(path, text, Links::Replace)) {
        ShowInformation(mainWindow, kCannotSaveText, kSaveFailedCaption);
        return;
    }
    OpenWithDesktop(path);
}

void PressReleaseApp::OnGenerateEmail(wxCommandEvent&)
{
    if (!FormPassesCheck())
        return;
    const FormValues form = ReadForm();
    const Result<std::string> bcc = CollectReceivers(form.receivers, receiverDelimiter);
    const std::string request =
        bcc ? MailtoRequest(form.contactEmail, *bcc, form.companyName) : std::string();
    const bool fits = bcc && request.size() <= kMaxLaunchArgumentBytes;
    if (fits)
        OpenWithDesktop(request);
    PutOnClipboard(ComposePressRelease(form));
    if (!fits)
        ShowInformation(mainWindow, kRequestTooLongText, kEmailCaption);
}
