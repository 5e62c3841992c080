#pragma once

#include <string>

// Tells the desktop that the user worked on a document, so that it shows
// up in the desktop's list of recent files.
void AddToDesktopRecentList(const std::string& path);

// Takes a name off that list again unless a file of that name exists: the
// file dialog puts the name the user typed there, before the program adds
// the extension that names the file it really writes.
void ForgetFromDesktopRecentList(const std::string& path);
