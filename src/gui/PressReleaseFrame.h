#pragma once

#include <string>

#include <wx/wx.h>

class PressReleaseApp;

// The main window; it handles the File and Help menus.
class PressReleaseFrame : public wxFrame {
public:
    PressReleaseFrame();

    PressReleaseApp* app = nullptr;

    // Documents: the whole form and the delimiter setting.
    void ReadDocument(const std::string& path);
    void WriteDocument(const std::string& path);

private:
    void OnNew(wxCommandEvent& event);
    void OnOpen(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnBasicHelp(wxCommandEvent& event);
    void OnOpenManual(wxCommandEvent& event);

    wxDECLARE_EVENT_TABLE();
};
