#pragma once

#include <string>

#include <wx/filehistory.h>
#include <wx/wx.h>

#include "core/form/FormValues.h"
#include "core/receivers/ReceiverList.h"

class PressReleaseApp;

// The main window; it handles the File and Help menus.
class PressReleaseFrame : public wxFrame {
public:
    PressReleaseFrame();

    PressReleaseApp* app = nullptr;

    // Documents: the whole form and the delimiter setting. Reading changes
    // the form only when the whole document is good; both say what went
    // wrong in a box and return false then.
    bool ReadDocument(const std::string& path);
    bool WriteDocument(const std::string& path);

    // The form as it now stands is what was last opened, saved or started
    // with; the title names the document.
    void MarkUnchanged(const std::string& documentPath);
    // The same with the form as just read from the controls, so that a
    // long receiver list is not read out of GTK once more.
    void MarkUnchanged(const std::string& documentPath, FormValues shown);
    // The user changed the form: the title shows a "*" while it differs
    // from what was last opened, saved or started with.
    void MarkChanged();
    bool HasUnsavedChanges() const;

    // The last few documents, listed at the end of fileMenu; they are kept
    // in the settings.
    void ShowRecentDocumentsIn(wxMenu* fileMenu);
    // Opens a document dropped on the window, after the same question as
    // File, Open when the form has unsaved changes.
    bool OpenDroppedDocument(const std::string& path);

    // What the last command did, in the status line, where a screen reader
    // hears it too.
    void ShowStatus(const std::string& text);

private:
    // Asks what to do with unsaved changes before they would be lost:
    // true when the caller may go on (saved, or discarded on purpose).
    bool MayDiscardChanges(const char* question, const char* discardLabel);
    bool SaveDocument();
    void RememberDocument(const std::string& path);
    void ShowTitle();
    bool ReceiversAsSaved() const;
    // Writes the form that MarkUnchanged is about to record.
    void WriteWholeForm(const FormValues& form);
    void OnFormChanged(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    void OnNew(wxCommandEvent& event);
    void OnOpen(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnBasicHelp(wxCommandEvent& event);
    void OnRecentDocument(wxCommandEvent& event);
    void OnOpenManual(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);

    std::string documentPath_;
    FormValues savedForm_;  // without the receivers, which stand apart
    std::string savedReceivers_;
    long savedReceiversLength_ = 0;  // as the field counts it
    bool receiversDiffer_ = false;
    int savedDelimiter_ = kDelimiterSemicolon;
    bool changed_ = false;
    bool writingForm_ = false;
    wxFileHistory recent_;

    wxDECLARE_EVENT_TABLE();
};
