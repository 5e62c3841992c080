#include "app/PressReleaseApp.h"

void PressReleaseApp::OnExportReceivers(wxCommandEvent&) {}
void PressReleaseApp::OnImportReceivers(wxCommandEvent&) {}
