#include "gui/FileDialogs.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include "core/files/FileNames.h"
#include "gui/RecentDocuments.h"

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

// The overwrite question of the file dialog saw the name as typed; a name
// that only the added extension makes an existing file's is asked here.
bool MayReplace(wxWindow* parent, const std::string& typed, const std::string& path)
{
    if (path == typed || !wxFileName::Exists(wxString::FromUTF8(path)))
        return true;
    const std::string question = "A file named \"" +
        wxFileName(wxString::FromUTF8(path)).GetFullName().utf8_string() +
        "\" already exists. Do you want to replace it?";
    return wxMessageBox(wxString::FromUTF8(question), "Replace file?", wxYES_NO | wxICON_QUESTION, parent) ==
        wxYES;
}

}  // namespace

std::string ChooseFile(wxWindow* parent, const char* message, const std::string& pattern, long style)
{
    if (style & wxFD_SAVE)
        style |= wxFD_OVERWRITE_PROMPT;
    wxFileDialog dialog(parent, message, StartFolder(), wxEmptyString, Wildcard(pattern, style), style);
    if (dialog.ShowModal() != wxID_OK)
        return {};
    wxString path = dialog.GetPath();
    // GTK may report the path a moment late; directory and name are there at once.
    if (path.empty() && !dialog.GetFilename().empty())
        path = dialog.GetDirectory() + "/" + dialog.GetFilename();
    if (path.empty() || !(style & wxFD_SAVE) || pattern.rfind("*.", 0) != 0)
        return path.utf8_string();
    const std::string typed = path.utf8_string();
    const std::string named = WithExtension(typed, pattern.substr(1));
    if (named != typed)
        ForgetFromDesktopRecentList(typed);
    return MayReplace(parent, typed, named) ? named : std::string();
}
