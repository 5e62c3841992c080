#include "app/PressReleaseApp.h"

#include "app/Messages.h"
#include "app/PressReleaseFrame.h"
#include "documents/FileDialogs.h"
#include "documents/FileMessages.h"
#include "documents/ReceiverFile.h"
#include "documents/SafeFileWriter.h"
#include "generate/ReceiverList.h"

void PressReleaseApp::OnExportReceivers(wxCommandEvent&)
{
    const std::string path = ChooseFile(mainWindow, "Export email addresses", "*.csv", wxFD_SAVE);
    if (path.empty())
        return;
    const std::optional<std::string> collected =
        CollectReceivers(receivers->GetValue().utf8_string(), receiverDelimiter);
    if (!collected)
        ShowInformation(mainWindow, kReceiverListTooLongText, kSaveFailedCaption);
    else if (!WriteFileAtomically(path, ReceiverExportBytes(*collected)))
        ShowInformation(mainWindow, kCannotSaveText, kSaveFailedCaption);
}

void PressReleaseApp::OnImportReceivers(wxCommandEvent&)
{
    const std::string path = ChooseFile(mainWindow, "Import email addresses", "*.csv", wxFD_OPEN);
    if (path.empty())
        return;
    std::string bytes;
    switch (ReadWholeFile(path, kMaxImportBytes, bytes)) {
    case ReadFileStatus::CannotOpen:
        ShowInformation(mainWindow, kCannotOpenText, kOpenFailedCaption);
        return;
    case ReadFileStatus::TooLarge:
        ShowInformation(mainWindow, TooLargeText(path, "16 MiB"), kOpenFailedCaption);
        return;
    case ReadFileStatus::Ok:
        break;
    }
    const std::string text = ReceiversFromImportBytes(bytes);
    receivers->SetValue(wxString::FromUTF8(text.data(), text.size()));
}
