#include "settings/SettingsStore.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

#include "documents/SafeFileWriter.h"
#include "settings/SettingsFormat.h"

namespace {

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

std::string ConfigFolder()
{
    // Relative values are invalid by the XDG rules and are ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return config;
    std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.config";
}

// Cuts at most to limit bytes without splitting a UTF-8 sequence.
std::string CutToLength(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// The values stored in the file; none when it is missing, unreadable, not
// a regular file, or too large to be a settings file of ours.
SettingsValues ReadSettingsFile(const std::string& path)
{
    std::string bytes;
    if (path.empty() || ReadWholeFile(path, kMaxSettingsFileBytes, bytes) != ReadFileStatus::Ok)
        return {};
    return ParseSettings(bytes);
}

}  // namespace

std::string SettingsFilePath(const std::string& keyPath)
{
    std::string folder = ConfigFolder();
    if (folder.empty())
        return {};
    std::string rest = keyPath;
    const std::string software = "Software\\";
    if (rest.compare(0, software.size(), software) == 0)
        rest.erase(0, software.size());
    for (char& c : rest)
        if (c == '\\')
            c = '/';
    return folder + "/" + rest + ".conf";
}

bool ReadSetting(const std::string& keyPath, const std::string& valueName, std::string& text)
{
    text.clear();
    const SettingsValues values = ReadSettingsFile(SettingsFilePath(keyPath));
    const auto found = values.find(valueName);
    if (found == values.end() || found->second.size() > kMaxSettingLength)
        return false;
    text = found->second;
    return true;
}

bool WriteSetting(const std::string& keyPath, const std::string& valueName, const std::string& text)
{
    const std::string path = SettingsFilePath(keyPath);
    if (path.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (error)
        return false;
    SettingsValues values = ReadSettingsFile(path);
    values.insert_or_assign(valueName, CutToLength(text, kMaxSettingLength));
    return WriteFileAtomically(path, SettingsFileBytes(values));
}
