#pragma once

#include <wx/wx.h>

#include "check/FieldChecks.h"
#include "form/FormValues.h"

class PressReleaseFrame;

class PressReleaseApp : public wxApp {
public:
    bool OnInit() override;

    // The form, read or written as a whole at the moment a command needs it.
    FormValues ReadForm() const;
    void WriteForm(const FormValues& form);

    // Checks the whole form; with showProgress the URL probes show their
    // progress windows.
    CheckErrors CheckSettings(CheckValues& values, bool showProgress);
    void ShowCheckErrors(CheckErrors errors, const CheckValues& values);

    // Not owned: the window hierarchy owns the frame, the controls and menus.
    PressReleaseFrame* mainWindow = nullptr;
    wxTextCtrl* productName = nullptr;
    wxTextCtrl* productVersion = nullptr;
    wxTextCtrl* featuresText = nullptr;
    wxTextCtrl* receivers = nullptr;
    wxChoice* productType = nullptr;
    wxTextCtrl* otherTypeText = nullptr;
    wxTextCtrl* productUrl = nullptr;
    wxTextCtrl* imageUrl = nullptr;
    wxTextCtrl* price = nullptr;
    wxTextCtrl* operatingSystem = nullptr;
    wxTextCtrl* contactEmail = nullptr;
    wxCheckBox* trialAvailable = nullptr;
    wxChoice* trialKind = nullptr;
    wxTextCtrl* trialLimit = nullptr;
    wxTextCtrl* companyName = nullptr;
    wxTextCtrl* contactName = nullptr;
    wxMenu* settingsMenu = nullptr;

    int receiverDelimiter = 0;

    void OnDelimiter(wxCommandEvent& event);
    void OnExportReceivers(wxCommandEvent& event);
    void OnImportReceivers(wxCommandEvent& event);
    void OnGenerateTextFile(wxCommandEvent& event);
    void OnGenerateEmail(wxCommandEvent& event);
    void OnCheckEverything(wxCommandEvent& event);

private:
    std::string StartDocument() const;
    wxMenuBar* CreateMenuBar();
    void ShowSplashScreen();

    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(PressReleaseApp);
