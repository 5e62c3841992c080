#include "core/settings/SettingsStore.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/files/SafeFileWriter.h"
#include "core/files/UserFolders.h"
#include "core/settings/SettingsFormat.h"

namespace {

// "Software\\Tarsel\\Vantrel" becomes "Tarsel/Vantrel.conf".
std::string KeyFileName(const std::string& keyPath)
{
    std::string rest = keyPath;
    const std::string software = "Software\\";
    if (rest.compare(0, software.size(), software) == 0)
        rest.erase(0, software.size());
    for (char& c : rest)
        if (c == '\\')
            c = '/';
    return rest + ".conf";
}

// The installation prefix of the running program: /usr for /usr/bin/vantrel.
std::string ProgramPrefix()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().parent_path().string();
}

// The values stored in the file; none when it is missing, unreadable, not
// a regular file, or too large to be a settings file of ours.
SettingsValues ReadSettingsFile(const std::string& path)
{
    if (path.empty())
        return {};
    const Result<std::string> bytes = ReadWholeFile(path, kMaxSettingsFileBytes);
    return bytes ? ParseSettings(*bytes) : SettingsValues();
}

}  // namespace

std::string SettingsFilePath(const std::string& keyPath)
{
    const std::string folder = ConfigFolder();
    return folder.empty() ? std::string() : folder + "/" + KeyFileName(keyPath);
}

std::vector<std::string> SystemSettingsFilePaths(const std::string& keyPath)
{
    std::vector<std::string> paths;
    const char* configDirs = std::getenv("XDG_CONFIG_DIRS");
    std::string folders = configDirs && *configDirs ? configDirs : "/etc/xdg";
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', begin), folders.size());
        const std::string folder = folders.substr(begin, end - begin);
        if (!folder.empty() && folder[0] == '/')  // relative folders are invalid by the XDG rules
            paths.push_back(folder + "/" + KeyFileName(keyPath));
        begin = end + 1;
    }
    if (const std::string prefix = ProgramPrefix(); !prefix.empty())
        paths.push_back(prefix + "/etc/xdg/" + KeyFileName(keyPath));
    return paths;
}

Result<std::string> ReadSetting(const std::string& keyPath, const std::string& valueName)
{
    std::vector<std::string> files = SystemSettingsFilePaths(keyPath);
    files.insert(files.begin(), SettingsFilePath(keyPath));
    for (const std::string& file : files) {
        const SettingsValues values = ReadSettingsFile(file);
        const auto found = values.find(valueName);
        if (found == values.end())
            continue;
        if (found->second.size() > kMaxSettingLength)
            return Failure::TooLarge;
        return found->second;
    }
    return Failure::Missing;
}

Result<> WriteSettingToFile(const std::string& path, const std::string& valueName, const std::string& text)
{
    if (path.empty())
        return Failure::CannotWrite;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (error)
        return Failure::CannotWrite;
    // Every other line is kept, so a file that cannot be read whole (too
    // large to be ours, or unreadable) is left alone: writing it would lose
    // the values and groups it holds.
    const Result<std::string> old = ReadWholeFile(path, kMaxSettingsFileBytes);
    if (!old && (old.failure() != Failure::CannotOpen || std::filesystem::exists(path, error)))
        return Failure::CannotWrite;
    const std::string bytes =
        UpdateSettingsBytes(old ? *old : std::string(), valueName, CutToLength(text, kMaxSettingLength));
    return WriteFileAtomically(path, bytes);
}

Result<> WriteSetting(const std::string& keyPath, const std::string& valueName, const std::string& text)
{
    return WriteSettingToFile(SettingsFilePath(keyPath), valueName, text);
}
