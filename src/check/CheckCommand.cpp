#include "app/Messages.h"
#include "app/PressReleaseApp.h"
#include "app/PressReleaseFrame.h"
#include "check/CheckReport.h"
#include "check/ProbeUrl.h"

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

void PressReleaseApp::OnCheckEverything(wxCommandEvent&)
{
    CheckValues values;
    const CheckErrors errors = CheckSettings(values, true);
    if (errors == 0)
        ShowInformation(mainWindow, kCheckOkText, kCheckOkCaption);
    else
        ShowCheckErrors(errors, values);
}
