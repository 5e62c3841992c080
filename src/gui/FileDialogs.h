#pragma once

#include <string>

#include <wx/filedlg.h>

// Asks for a file with the dialog of the desktop: Open offers every file
// after the files of pattern ("*.pre"); Save adds the pattern's extension
// to a name that does not end in it and asks before an existing file is
// replaced. The dialog starts in the user's documents folder. Gives the
// full path, or empty when the dialog or the question was cancelled.
std::string ChooseFile(wxWindow* parent, const char* message, const std::string& pattern, long style);
