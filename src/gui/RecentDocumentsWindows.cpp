#include "gui/RecentDocuments.h"

#include <wx/string.h>

#include <windows.h>
#include <shlobj.h>

// The shell's own list of recent documents (Jump Lists, Quick access).
void AddToDesktopRecentList(const std::string& path)
{
    const wxString wide = wxString::FromUTF8(path.data(), path.size());
    SHAddToRecentDocs(SHARD_PATHW, wide.wc_str());
}

// Nothing to take back: the shell keeps its own list of what its dialog named.
void ForgetFromDesktopRecentList(const std::string&) {}
