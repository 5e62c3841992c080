#pragma once

#include <string>
#include <vector>

#include "core/Result.h"

// The one place of the program's settings. On Linux the key path becomes
// the file $XDG_CONFIG_HOME/Tarsel/Vantrel.conf (or ~/.config/...).
inline constexpr const char* kSettingsKeyPath = "Software\\Tarsel\\Vantrel";
inline constexpr const char* kLatestPathSetting = "LatestPath";
inline constexpr const char* kInstallPathSetting = "InstallPath";

// Stored texts hold at most this many bytes; longer ones are cut on writing
// and read as missing.
inline constexpr std::size_t kMaxSettingLength = 1023;

// A larger file is no settings file of ours: it reads as holding nothing
// (reading it would take long), and writing a setting into it fails and
// leaves it as it is.
inline constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;

// The user's file that holds the values of keyPath, or empty when no home
// is known.
std::string SettingsFilePath(const std::string& keyPath);

// The files an installation puts its values into, in the order they are
// searched after the user's: Tarsel/Vantrel.conf in each folder of
// XDG_CONFIG_DIRS (/etc/xdg by default), then in etc/xdg of the prefix
// the program runs from (~/.local/etc/xdg for ~/.local/bin/vantrel).
std::vector<std::string> SystemSettingsFilePaths(const std::string& keyPath);

// The stored text; Missing when no file holds it, TooLarge when it is
// longer than a setting may be. The user's file comes first, the
// installation's files after it.
Result<std::string> ReadSetting(const std::string& keyPath, const std::string& valueName);

// Writes into the user's file, creating it and its folders when needed.
// The file is replaced atomically and flushed to disk, so a crash never
// leaves half of it behind, and a symbolic link keeps pointing to it.
// Values are stored and read back byte for byte.
Result<> WriteSetting(const std::string& keyPath, const std::string& valueName, const std::string& text);

// The same for a settings file of the installation.
Result<> WriteSettingToFile(const std::string& path, const std::string& valueName, const std::string& text);
