#include "app/DesktopLauncher.h"
#include "app/Messages.h"
#include "app/PressReleaseFrame.h"
#include "help/HelpText.h"
#include "settings/SettingsStore.h"

void PressReleaseFrame::OnBasicHelp(wxCommandEvent&)
{
    ShowInformation(this, kAboutText, kAboutCaption);
}

// Opens the manual in the installation folder with the desktop's PDF
// viewer. Without an installation folder, or when the path would not fit
// the settings' limit, nothing happens.
void PressReleaseFrame::OnOpenManual(wxCommandEvent&)
{
    std::string folder;
    if (!ReadSetting(kSettingsKeyPath, kInstallPathSetting, folder))
        return;
    const std::string path = folder + "/" + kManualFileName;
    if (path.size() > kMaxSettingLength)
        return;
    OpenWithDesktop(path);
}
