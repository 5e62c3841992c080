#pragma once

#include <string>

// Opens url in the desktop's browser (BrowserLaunchXdg.cpp: xdg-open,
// BrowserLaunchShell.cpp: ShellExecuteW); false when nothing could be started.
bool OpenInBrowser(const std::string& url);
