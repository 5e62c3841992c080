#include "app/Messages.h"
#include "app/PressReleaseApp.h"
#include "app/PressReleaseFrame.h"
#include "check/CheckReport.h"
#include "check/ProbeUrl.h"

CheckErrors PressReleaseApp::CheckSettings(CheckValues& values, bool showProgress)
{
    WindowUrlProber prober(showProgress);
    return ::CheckSettings(ReadForm(), values, prober);
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
