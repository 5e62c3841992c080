#include "app/PressReleaseFrame.h"

void PressReleaseFrame::ReadDocument(const std::string&) {}
void PressReleaseFrame::WriteDocument(const std::string&) {}
void PressReleaseFrame::OnOpen(wxCommandEvent&) {}
void PressReleaseFrame::OnSave(wxCommandEvent&) {}
