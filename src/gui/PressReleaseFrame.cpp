// The main window and its File and Help menus.
#include "gui/PressReleaseFrame.h"

#include <algorithm>

#include <wx/aboutdlg.h>
#include <wx/dnd.h>

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
#include "gui/NativeFieldStyle.h"
#include "gui/PressReleaseApp.h"
#include "gui/RecentDocuments.h"
#include "gui/Resources.h"

wxBEGIN_EVENT_TABLE(PressReleaseFrame, wxFrame)
    EVT_MENU(ID_NEW, PressReleaseFrame::OnNew)
    EVT_MENU(ID_OPEN, PressReleaseFrame::OnOpen)
    EVT_MENU(ID_SAVE, PressReleaseFrame::OnSave)
    EVT_MENU(ID_BASIC_HELP, PressReleaseFrame::OnBasicHelp)
    EVT_MENU(ID_OPEN_MANUAL, PressReleaseFrame::OnOpenManual)
    EVT_MENU(ID_ABOUT, PressReleaseFrame::OnAbout)
    EVT_MENU(ID_EXIT, PressReleaseFrame::OnExit)
    EVT_MENU_RANGE(wxID_FILE1, wxID_FILE9, PressReleaseFrame::OnRecentDocument)
    EVT_MENU(wxID_EXIT, PressReleaseFrame::OnExit)
    EVT_TEXT(wxID_ANY, PressReleaseFrame::OnFormChanged)
    EVT_CHOICE(wxID_ANY, PressReleaseFrame::OnFormChanged)
    EVT_CHECKBOX(wxID_ANY, PressReleaseFrame::OnFormChanged)
    EVT_CLOSE(PressReleaseFrame::OnClose)
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

constexpr const char* kCloseQuestion =
    "The form has changes that have not been saved.\n\nDo you want to save them before closing?";
constexpr const char* kOpenQuestion =
    "The form has changes that have not been saved.\n\nDo you want to save them before opening another "
    "document?";
constexpr const char* kNewQuestion =
    "The form has changes that have not been saved.\n\nDo you want to save them before clearing the form?";

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

constexpr std::size_t kRecentDocuments = 4;

std::string RecentSetting(std::size_t index) { return "RecentDocument" + std::to_string(index + 1); }

// A document dragged from the file manager; only the first of several is
// opened, the form holds one.
class DocumentDropTarget : public wxFileDropTarget {
public:
    explicit DocumentDropTarget(PressReleaseFrame* frame) : frame_(frame) {}

    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override
    {
        return !files.empty() && frame_->OpenDroppedDocument(files[0].utf8_string());
    }

private:
    PressReleaseFrame* frame_;
};

}  // namespace

PressReleaseFrame::PressReleaseFrame()
    : wxFrame(nullptr, wxID_ANY, "Vantrel", wxPoint(20, 20), wxSize(835, 470), wxDEFAULT_FRAME_STYLE,
              "frame"),
      recent_(kRecentDocuments)
{
    CreateStatusBar(1, wxST_SIZEGRIP, 0, "status_line");
    SetAccessibleStatus(GetStatusBar(), "");
    SetDropTarget(new DocumentDropTarget(this));
}

// Clears the form after the question about unsaved changes and then its
// own, whose default is No: Enter pressed by habit must not empty the form.
// Both URL fields become empty, not "http://"; the delimiter setting and
// LatestPath stay as they are.
void PressReleaseFrame::OnNew(wxCommandEvent&)
{
    if (!MayDiscardChanges(kNewQuestion, "Clear &without Saving"))
        return;
    const int answer = wxMessageBox("Are you sure that you want to clear all settings?\n", "New",
                                    wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, this);
    // Escape and the window's close button answer Cancel: only Yes clears.
    if (answer != wxYES)
        return;
    FormValues cleared;
    cleared.productUrl.clear();
    cleared.imageUrl.clear();
    WriteWholeForm(cleared);
    MarkUnchanged("");
    ShowStatus("");  // it named the document that was open
}

void PressReleaseFrame::OnOpen(wxCommandEvent&)
{
    if (!MayDiscardChanges(kOpenQuestion, "Open &without Saving"))
        return;
    const std::string path = ChooseFile(this, "Open Press Release", "*.pre", wxFD_OPEN);
    if (!path.empty())
        ReadDocument(path);
}

bool PressReleaseFrame::OpenDroppedDocument(const std::string& path)
{
    return MayDiscardChanges(kOpenQuestion, "Open &without Saving") && ReadDocument(path);
}

void PressReleaseFrame::OnRecentDocument(wxCommandEvent& event)
{
    const std::size_t index = static_cast<std::size_t>(event.GetId() - wxID_FILE1);
    if (index >= recent_.GetCount() || !MayDiscardChanges(kOpenQuestion, "Open &without Saving"))
        return;
    const std::string path = recent_.GetHistoryFile(index).utf8_string();
    if (ReadDocument(path))
        return;
    // A document that cannot be opened any more leaves the list.
    recent_.RemoveFileFromHistory(index);
    RememberDocument("");
}

void PressReleaseFrame::ShowRecentDocumentsIn(wxMenu* fileMenu)
{
    for (std::size_t index = kRecentDocuments; index-- > 0;) {
        const Result<std::string> path = ReadSetting(kSettingsKeyPath, RecentSetting(index));
        if (path && !path->empty())
            recent_.AddFileToHistory(wxString::FromUTF8(*path));
    }
    recent_.UseMenu(fileMenu);
    recent_.AddFilesToMenu(fileMenu);
}

// Into the recent documents of this program and of the desktop; with an
// empty path, only the list as it stands is stored.
void PressReleaseFrame::RememberDocument(const std::string& path)
{
    if (!path.empty() && path.size() <= kMaxSettingLength) {
        recent_.AddFileToHistory(wxString::FromUTF8(path));
        AddToDesktopRecentList(path);
    }
    for (std::size_t index = 0; index < kRecentDocuments; ++index) {
        const std::string stored =
            index < recent_.GetCount() ? recent_.GetHistoryFile(index).utf8_string() : "";
        [[maybe_unused]] const Result<> ignored =
            WriteSetting(kSettingsKeyPath, RecentSetting(index), stored);
    }
}

void PressReleaseFrame::OnSave(wxCommandEvent&)
{
    const std::string path = ChooseFile(this, "Save Press Release", "*.pre", wxFD_SAVE);
    if (!path.empty())
        WriteDocument(path);
}

// The question about unsaved changes comes from closing (OnClose).
void PressReleaseFrame::OnExit(wxCommandEvent&) { Close(); }

void PressReleaseFrame::OnClose(wxCloseEvent& event)
{
    if (event.CanVeto() && !MayDiscardChanges(kCloseQuestion, "Close &without Saving")) {
        event.Veto();
        return;
    }
    event.Skip();  // the frame's own handler destroys it
}

// An edited field may well be right now: its mark goes until the next check.
// The receivers are compared only when they are what changed: they may be
// a million addresses, the other fields are short.
void PressReleaseFrame::OnFormChanged(wxCommandEvent& event)
{
    if (auto* field = dynamic_cast<wxWindow*>(event.GetEventObject()))
        ClearFieldProblem(field);
    event.Skip();
    if (writingForm_)
        return;
    if (event.GetEventObject() == app->controls.receivers)
        receiversDiffer_ = !ReceiversAsSaved();
    MarkChanged();
}

// The form as a whole is then as saved: comparing it field by field on the
// way (a million receivers read back) would be for nothing.
void PressReleaseFrame::WriteWholeForm(const FormValues& form)
{
    writingForm_ = true;
    app->WriteForm(form);
    writingForm_ = false;
}

// Text typed and taken back again, or a value set to what it was, leaves
// nothing to lose and no "*".
void PressReleaseFrame::MarkChanged()
{
    const bool changed = receiversDiffer_ || app->receiverDelimiter != savedDelimiter_ ||
        app->ReadForm(PressReleaseApp::Receivers::Skip) != savedForm_;
    if (changed == changed_)
        return;
    changed_ = changed;
    ShowTitle();
}

// The length first: it costs nothing, and while the user types it differs.
bool PressReleaseFrame::ReceiversAsSaved() const
{
    wxTextCtrl* receivers = app->controls.receivers;
    return receivers->GetLastPosition() == savedReceiversLength_ && FieldText(receivers) == savedReceivers_;
}

void PressReleaseFrame::MarkUnchanged(const std::string& documentPath)
{
    MarkUnchanged(documentPath, app->ReadForm());
}

void PressReleaseFrame::MarkUnchanged(const std::string& documentPath, FormValues shown)
{
    documentPath_ = documentPath;
    savedReceivers_ = std::move(shown.receivers);
    shown.receivers.clear();
    savedForm_ = std::move(shown);
    savedReceiversLength_ = app->controls.receivers->GetLastPosition();
    receiversDiffer_ = false;
    savedDelimiter_ = app->receiverDelimiter;
    changed_ = false;
    ShowTitle();
}

bool PressReleaseFrame::HasUnsavedChanges() const { return changed_; }

// "launch.pre – Vantrel", with a "*" before it while changes are unsaved.
void PressReleaseFrame::ShowTitle()
{
    const std::string name = documentPath_.empty() ? "" : FileName(documentPath_) + " \u2013 ";
    SetTitle(wxString::FromUTF8((changed_ ? "*" : "") + name + "Vantrel"));
}

bool PressReleaseFrame::MayDiscardChanges(const char* question, const char* discardLabel)
{
    if (!HasUnsavedChanges())
        return true;
    wxMessageDialog ask(this, question, "Save changes?", wxYES_NO | wxCANCEL | wxICON_QUESTION);
    ask.SetYesNoCancelLabels("&Save", discardLabel, "&Cancel");
    switch (ask.ShowModal()) {
    case wxID_YES: return SaveDocument();
    case wxID_NO: return true;
    default: return false;  // Cancel, Escape, or the box closed
    }
}

// Into the open document, or where the user chooses when there is none.
bool PressReleaseFrame::SaveDocument()
{
    const std::string path =
        documentPath_.empty() ? ChooseFile(this, "Save Press Release", "*.pre", wxFD_SAVE) : documentPath_;
    return !path.empty() && WriteDocument(path);
}

bool PressReleaseFrame::ReadDocument(const std::string& path)
{
    Result<Document> document = [&]() -> Result<Document> {
        Result<std::string> bytes = ReadWholeFile(path, kMaxDocumentBytes);
        if (!bytes)
            return bytes.failure();
        return ReadDocumentTakingBytes(*std::move(bytes));
    }();
    if (!document) {
        const bool damaged = document.failure() == Failure::Damaged;
        ShowInformation(this,
                        damaged ? DamagedDocumentText(path)
                                : ReadFailureText(path, document.failure(), kMaxDocumentBytes),
                        kOpenFailedCaption);
        return false;
    }

    WriteWholeForm(document->form);
    app->SetReceiverDelimiter(document->receiverDelimiter);
    // A single-line field of GTK holds less than 64 KiB and cuts the rest
    // without a word; the user must know before saving the cut values. The
    // receivers' multi-line field keeps all it is given, and reading a long
    // list back out of GTK would cost more than setting it.
    std::string receivers = std::move(document->form.receivers);
    FormValues shown = app->ReadForm(PressReleaseApp::Receivers::Skip);
    const std::vector<std::string> tooLong = TextFieldsThatDiffer(document->form, shown);
    shown.receivers = std::move(receivers);
    MarkUnchanged(path, std::move(shown));
    RememberLatestPath(path);
    RememberDocument(path);
    ShowStatus("Opened " + path);
    app->CountReceiversSoon();
    if (std::find(document->cutAtNul.begin(), document->cutAtNul.end(), kReceiversLabel) !=
        document->cutAtNul.end())
        app->ReceiversCutOnOpening();
    if (!tooLong.empty() || !document->cutAtNul.empty())
        ShowInformation(this, ValuesCutText(path, tooLong, document->cutAtNul), kOpenedCutCaption);
    return true;
}

bool PressReleaseFrame::WriteDocument(const std::string& path)
{
    FormValues form = app->ReadForm();
    const int delimiter = app->receiverDelimiter;
    if (!WriteFileAtomically(
            path, [&](const PutPiece& put) { return WriteDocumentPieces(form, delimiter, put); })) {
        ShowInformation(this, kCannotSaveText, kSaveFailedCaption);
        return false;
    }
    MarkUnchanged(path, std::move(form));
    RememberLatestPath(path);
    RememberDocument(path);
    ShowStatus("Saved " + path);
    return true;
}

void PressReleaseFrame::ShowStatus(const std::string& text)
{
    SetStatusText(wxString::FromUTF8(text));
    SetAccessibleStatus(GetStatusBar(), text);
}

void PressReleaseFrame::OnBasicHelp(wxCommandEvent&) { ShowInformation(this, kAboutText, kAboutCaption); }

// The toolkit's own about box, beside the specified "Basic Help".
void PressReleaseFrame::OnAbout(wxCommandEvent&)
{
    wxAboutDialogInfo about;
    about.SetName("Vantrel");
    about.SetVersion(VANTREL_VERSION);
    about.SetDescription(kAboutSummary);
    about.SetCopyright(wxString::FromUTF8(kCopyright));
    about.SetLicence(kLicence);
    about.SetWebSite(kHomePage);
    // Not GetIcon(): that asks for the desktop's icon size, which the
    // program's icon is not, and comes back empty (a broken image).
    about.SetIcon(LoadProgramIcon());
    wxAboutBox(about, this);
}

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
