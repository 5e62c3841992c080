#pragma once

#include <string>

#include <wx/filedlg.h>

// The full path of the file the user chose, or empty when the dialog was
// cancelled. Nothing is asked before an existing file is overwritten.
inline std::string ChooseFile(wxWindow* parent, const char* message, const char* wildcard,
                              long style)
{
    wxFileDialog dialog(parent, message, wxEmptyString, wxEmptyString, wildcard, style);
    if (dialog.ShowModal() != wxID_OK)
        return {};
    wxString path = dialog.GetPath();
    // GTK may report the path a moment late; directory and name are there at once.
    if (path.empty() && !dialog.GetFilename().empty())
        path = dialog.GetDirectory() + "/" + dialog.GetFilename();
    return path.utf8_string();
}
