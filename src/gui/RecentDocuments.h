#pragma once

#include <string>

// Tells the desktop that the user worked on a document, so that it shows
// up in the desktop's list of recent files.
void AddToDesktopRecentList(const std::string& path);
