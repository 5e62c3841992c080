#include "app/PressReleaseApp.h"

CheckErrors PressReleaseApp::CheckSettings(CheckValues&, bool) { return 0; }
void PressReleaseApp::ShowCheckErrors(CheckErrors, const CheckValues&) {}
void PressReleaseApp::OnCheckEverything(wxCommandEvent&) {}
