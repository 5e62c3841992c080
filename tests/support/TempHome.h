#pragma once

#include <string>

// A fresh folder that stands in for the user's home while it lives: HOME
// points into it, XDG_CONFIG_HOME is unset and XDG_CONFIG_DIRS points into
// it as well, so nothing the program does reaches the real user's files or
// reads the machine's settings. The folder is removed afterwards.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& home() const { return home_; }
    const std::string& sandbox() const { return sandbox_; }
    std::string SettingsFile() const { return home_ + "/.config/Tarsel/Vantrel.conf"; }
    // The installation's settings file that XDG_CONFIG_DIRS leads to.
    std::string SystemSettingsFile() const { return sandbox_ + "/etc/xdg/Tarsel/Vantrel.conf"; }

private:
    std::string sandbox_;  // holds home_, so writes beside it can be seen
    std::string home_;
    std::string oldHome_;
    std::string oldConfigHome_;
    std::string oldConfigDirs_;
    bool hadConfigHome_ = false;
};

// Small file helpers for tests.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
