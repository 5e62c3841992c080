#include "gui/FileDialogs.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

namespace {

// The XDG documents folder where it exists, the home folder otherwise;
// never the working folder, which is the program's data folder.
wxString StartFolder()
{
    const wxString documents = wxStandardPaths::Get().GetUserDir(wxStandardPaths::Dir_Documents);
    return wxFileName::DirExists(documents) ? documents : wxGetHomeDir();
}

wxString Wildcard(const std::string& pattern, long style)
{
    if (style & wxFD_SAVE)
        return pattern;
    return pattern + "|" + pattern + "|All files (*)|*";
}

// "*.pre" gives ".pre" to "launch", but "launch.txt" stays as typed.
wxString WithExtension(const wxString& path, const std::string& pattern)
{
    const wxFileName file(path);
    if (file.HasExt() || pattern.rfind("*.", 0) != 0)
        return path;
    return path + pattern.substr(1);
}

}  // namespace

std::string ChooseFile(wxWindow* parent, const char* message, const std::string& pattern, long style)
{
    wxFileDialog dialog(parent, message, StartFolder(), wxEmptyString, Wildcard(pattern, style), style);
    if (dialog.ShowModal() != wxID_OK)
        return {};
    wxString path = dialog.GetPath();
    // GTK may report the path a moment late; directory and name are there at once.
    if (path.empty() && !dialog.GetFilename().empty())
        path = dialog.GetDirectory() + "/" + dialog.GetFilename();
    if (!path.empty() && (style & wxFD_SAVE))
        path = WithExtension(path, pattern);
    return path.utf8_string();
}
