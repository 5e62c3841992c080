#pragma once

#include <string>

#include <wx/wx.h>

class PressReleaseApp;

class PressReleaseFrame : public wxFrame {
public:
    PressReleaseFrame();

    PressReleaseApp* app = nullptr;

    // Documents: the whole form and the delimiter setting.
    void ReadDocument(const std::string& path);
    void WriteDocument(const std::string& path);

    void OnNew(wxCommandEvent& event);
    void OnOpen(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);
    void OnBasicHelp(wxCommandEvent& event);
    void OnOpenManual(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);

private:
    wxDECLARE_EVENT_TABLE();
};
