#include "settings/SettingsStore.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>

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

wxString ToWx(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

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
    const std::string path = SettingsFilePath(keyPath);
    if (path.empty() || !wxFileName::FileExists(ToWx(path)))
        return false;

    wxLogNull quiet;  // a damaged file reads as "no value", never as a message
    wxFileConfig config(wxEmptyString, wxEmptyString, ToWx(path), wxEmptyString,
                        wxCONFIG_USE_LOCAL_FILE);
    wxString value;
    if (!config.Read(ToWx(valueName), &value))
        return false;
    std::string stored = value.utf8_string();
    if (stored.size() > kMaxSettingLength)
        return false;
    text = stored;
    return true;
}

bool WriteSetting(const std::string& keyPath, const std::string& valueName, const std::string& text)
{
    const std::string path = SettingsFilePath(keyPath);
    if (path.empty())
        return false;

    wxLogNull quiet;
    const wxFileName file(ToWx(path));
    if (!file.DirExists() && !wxFileName::Mkdir(file.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
        return false;
    if (file.DirExists(file.GetFullPath()))
        return false;  // a folder stands where the file belongs

    // wxFileConfig replaces the file through a temporary file and a rename.
    wxFileConfig config(wxEmptyString, wxEmptyString, ToWx(path), wxEmptyString,
                        wxCONFIG_USE_LOCAL_FILE);
    if (!config.Write(ToWx(valueName), ToWx(CutToLength(text, kMaxSettingLength))))
        return false;
    return config.Flush();
}
