#include <wx/clipbrd.h>

#include "app/DesktopLauncher.h"
#include "app/Messages.h"
#include "app/PressReleaseApp.h"
#include "app/PressReleaseFrame.h"
#include "documents/FileMessages.h"
#include "documents/SafeFileWriter.h"
#include "generate/MailtoRequest.h"
#include "generate/PressReleaseComposer.h"
#include "generate/ReceiverList.h"
#include "generate/ReleaseFile.h"
#include "settings/SettingsStore.h"

namespace {

// Runs the whole check with its probe windows; when anything fails the
// "Errors" box is shown and nothing may be generated.
bool FormPassesCheck(PressReleaseApp& app)
{
    CheckValues values;
    const CheckErrors errors = app.CheckSettings(values, true);
    if (errors != 0)
        app.ShowCheckErrors(errors, values);
    return errors == 0;
}

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

void PressReleaseApp::OnGenerateTextFile(wxCommandEvent&)
{
    if (!FormPassesCheck(*this))
        return;
    const FormValues form = ReadForm();
    const std::string text = ReleaseFileText(form.companyName, ComposePressRelease(form));
    std::string installPath;
    ReadSetting(kSettingsKeyPath, kInstallPathSetting, installPath);
    const std::string path = ReleaseFilePath(installPath);
    if (path.empty() || !WriteFileAtomically(path, text)) {
        ShowInformation(mainWindow, kCannotSaveText, kSaveFailedCaption);
        return;
    }
    OpenWithDesktop(path);
}

void PressReleaseApp::OnGenerateEmail(wxCommandEvent&)
{
    if (!FormPassesCheck(*this))
        return;
    const FormValues form = ReadForm();
    const std::optional<std::string> bcc = CollectReceivers(form.receivers, receiverDelimiter);
    const std::string request =
        bcc ? MailtoRequest(form.contactEmail, *bcc, form.companyName) : std::string();
    const bool fits = bcc && request.size() <= kMaxLaunchArgumentBytes;
    if (fits)
        OpenWithDesktop(request);
    PutOnClipboard(ComposePressRelease(form));
    if (!fits)
        ShowInformation(mainWindow, kRequestTooLongText, kEmailCaption);
}
