#include "app/PressReleaseFrame.h"

#include "app/CommandIds.h"
#include "app/Messages.h"
#include "app/PressReleaseApp.h"
#include "documents/DocumentFormat.h"
#include "documents/FileDialogs.h"
#include "documents/FileMessages.h"
#include "documents/SafeFileWriter.h"
#include "form/FormFields.h"
#include "settings/SettingsStore.h"

namespace {

// A path too long for the settings would come back cut, naming some other
// file; then no document is reopened rather than a wrong one.
void RememberLatestPath(const std::string& path)
{
    WriteSetting(kSettingsKeyPath, kLatestPathSetting,
                 path.size() <= kMaxSettingLength ? path : std::string());
}

// The settings 0 to 3 go through the menu command so that its check mark
// moves along; any other number is kept as it is and the marks stay.
void ApplyReceiverDelimiter(PressReleaseApp& app, int receiverDelimiter)
{
    if (receiverDelimiter < 0 || receiverDelimiter > 3) {
        app.receiverDelimiter = receiverDelimiter;
        return;
    }
    wxCommandEvent choose(wxEVT_MENU, ID_DELIMITER_SEMICOLON + receiverDelimiter);
    app.OnDelimiter(choose);
}

}  // namespace

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

void PressReleaseFrame::ReadDocument(const std::string& path)
{
    std::string bytes;
    switch (ReadWholeFile(path, kMaxDocumentBytes, bytes)) {
    case ReadFileStatus::CannotOpen:
        ShowInformation(this, kCannotOpenText, kOpenFailedCaption);
        return;
    case ReadFileStatus::TooLarge:
        ShowInformation(this, TooLargeText(path, "64 MiB"), kOpenFailedCaption);
        return;
    case ReadFileStatus::Ok:
        break;
    }

    FormValues form = app->ReadForm();
    const DocumentReadOutcome outcome = ReadDocumentBytes(bytes, form);
    app->WriteForm(form);
    if (outcome.receiverDelimiter)
        ApplyReceiverDelimiter(*app, *outcome.receiverDelimiter);

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
