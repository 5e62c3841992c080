#include "core/files/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

// Relative values are invalid by the XDG rules and are ignored.
std::string XdgFolder(const char* variable, const char* belowHome)
{
    if (const char* folder = std::getenv(variable); folder && folder[0] == '/')
        return folder;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + belowHome;
}

}  // namespace

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

std::string CacheFolder() { return XdgFolder("XDG_CACHE_HOME", "/.cache"); }

std::string StateFolder() { return XdgFolder("XDG_STATE_HOME", "/.local/state"); }
