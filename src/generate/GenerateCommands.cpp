#include "app/PressReleaseApp.h"

// Delivery of the release as a text file or an e-mail draft comes later.
void PressReleaseApp::OnGenerateTextFile(wxCommandEvent&) {}
void PressReleaseApp::OnGenerateEmail(wxCommandEvent&) {}
