#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Hands a file or a URL (mailto: included) to the desktop's default
// application. No shell is involved. False when no application took it
// (none is set, or the launcher failed), so that the user hears of it.
bool OpenWithDesktop(const std::string& target);

// The longest request (a mailto: above all) that reaches the handler whole.
std::size_t MaxLaunchRequestBytes();

// Puts launcher where the desktop was (an empty one gives the desktop back)
// and returns the one used until now. Tests record launches with it where
// no program of their own can stand in for the desktop's (Windows).
using DesktopLaunch = std::function<bool(const std::string& target)>;
DesktopLaunch UseDesktopLauncher(DesktopLaunch launcher);

// The desktop's own launch, in DesktopLauncherXdg.cpp or DesktopLauncherShell.cpp.
bool OpenWithSystemDesktop(const std::string& target);
