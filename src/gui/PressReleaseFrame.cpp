// The main window and its File and Help menus.
#include "gui/PressReleaseFrame.h"

#include "core/documents/DocumentFormat.h"
#include "core/files/FileMessages.h"
#include "core/files/SafeFileWriter.h"
#include "core/form/FormFields.h"
#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"
#include "gui/DesktopLauncher.h"
#include "gui/FileDialogs.h"
#include "gui/HelpText.h"
#include "gui/Messages.h"
#include "gui/PressReleaseApp.h"

wxBEGIN_EVENT_TABLE(PressReleaseFrame, wxFrame)
    EVT_MENU(ID_NEW, PressReleaseFrame::OnNew)
    EVT_MENU(ID_OPEN, PressReleaseFrame::OnOpen)
    EVT_MENU(ID_SAVE, PressReleaseFrame::OnSave)
    EVT_MENU(ID_BASIC_HELP, PressReleaseFrame::OnBasicHelp)
    EVT_MENU(ID_OPEN_MANUAL, PressReleaseFrame::OnOpenManual)
    EVT_MENU(ID_EXIT, PressReleaseFrame::OnExit)
    EVT_MENU(wxID_EXIT, PressReleaseFrame::OnExit)
wxEND_EVENT_TABLE()

namespace {

// A path too long for the settings would come back cut, naming some other
// file; then no document is reopened rather than a wrong one.
void RememberLatestPath(const std::string& path)
{
    [[maybe_unused]] const Result<> ignored =  // a document saved is saved, remembered or not
        WriteSetting(kSettingsKeyPath, kLatestPathSetting,
                     path.size() <= kMaxSettingLength ? path : std::string());
}

}  // namespace

PressReleaseFrame::PressReleaseFrame()
    : wxFrame(nullptr, wxID_ANY, "Vantrel", wxPoint(20, 20), wxSize(835, 470), wxDEFAULT_FRAME_STYLE, "frame")
{
    CreateStatusBar(1, wxST_SIZEGRIP, 0, "status_line");
    // Keys beside the menus, so that every menu label stays as it is.
    wxAcceleratorEntry keys[] = {
        {wxACCEL_CTRL, 'N', ID_NEW},
        {wxACCEL_CTRL, 'O', ID_OPEN},
        {wxACCEL_CTRL, 'S', ID_SAVE},
        {wxACCEL_CTRL, 'Q', ID_EXIT},
        {wxACCEL_NORMAL, WXK_F1, ID_OPEN_MANUAL},
    };
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));
}

// Clears the form after one question. Both URL fields become empty, not
// "http://"; the delimiter setting and LatestPath stay as they are.
void PressReleaseFrame::OnNew(wxCommandEvent&)
{
    const int answer = wxMessageBox("Are you sure that you want to clear all settings?\n", "New",
                                    wxYES_NO | wxICON_QUESTION, this);
    if (answer == wxNO)
        return;
    FormValues cleared;
    cleared.productUrl.clear();
    cleared.imageUrl.clear();
    app->WriteForm(cleared);
}

void PressReleaseFrame::OnOpen(wxCommandEvent&)
{
    const std::string path = ChooseFile(this, "Open Press Release", "*.pre", wxFD_OPEN);
    if (!path.empty())
        ReadDocument(path);
}

void PressReleaseFrame::OnSave(wxCommandEvent&)
{
    const std::string path = ChooseFile(this, "Save Press Release", "*.pre", wxFD_SAVE);
    if (!path.empty())
        WriteDocument(path);
}

// Ends the program at once; nothing is saved and nothing is asked.
void PressReleaseFrame::OnExit(wxCommandEvent&) { Close(true); }

void PressReleaseFrame::ReadDocument(const std::string& path)
{
    const Result<std::string> bytes = ReadWholeFile(path, kMaxDocumentBytes);
    if (!bytes) {
        ShowInformation(this, ReadFailureText(path, bytes.failure(), kMaxDocumentBytes), kOpenFailedCaption);
        return;
    }

    FormValues form = app->ReadForm();
    const DocumentReadOutcome outcome = ReadDocumentBytes(*bytes, form);
    app->WriteForm(form);
    if (outcome.receiverDelimiter)
        app->SetReceiverDelimiter(*outcome.receiverDelimiter);

    if (outcome.damaged) {
        ShowInformation(this, DamagedDocumentText(path), kOpenFailedCaption);
        return;
    }
    // A single-line field of GTK holds less than 64 KiB and cuts the rest
    // without a word; the user must know before saving the cut values.
    const std::vector<std::string> cut = TextFieldsThatDiffer(form, app->ReadForm());
    if (!cut.empty())
        ShowInformation(this, ValuesCutText(path, cut), kOpenFailedCaption);
    RememberLatestPath(path);
}

void PressReleaseFrame::WriteDocument(const std::string& path)
{
    const std::string bytes = WriteDocumentBytes(app->ReadForm(), app->receiverDelimiter);
    if (!WriteFileAtomically(path, bytes)) {
        ShowInformation(this, kCannotSaveText, kSaveFailedCaption);
        return;
    }
    RememberLatestPath(path);
}

void PressReleaseFrame::OnBasicHelp(wxCommandEvent&) { ShowInformation(this, kAboutText, kAboutCaption); }

// Opens the manual in the installation folder with the desktop's PDF
// viewer. Without an installation folder, or when the path would not fit
// the settings' limit, nothing happens.
void PressReleaseFrame::OnOpenManual(wxCommandEvent&)
{
    const Result<std::string> folder = ReadSetting(kSettingsKeyPath, kInstallPathSetting);
    if (!folder)
        return;
    const std::string path = *folder + "/" + kManualFileName;
    if (path.size() > kMaxSettingLength)
        return;
    OpenWithDesktop(path);
}
