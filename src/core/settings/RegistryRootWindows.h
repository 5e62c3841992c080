#pragma once

#include <string>

#include <windows.h>

// Where ReadSetting and WriteSetting look: the user's values under
// HKEY_CURRENT_USER, then an installation's under HKEY_LOCAL_MACHINE, each
// below its key prefix (none by default). A test moves both below keys of
// its own, so that it never meets the user's values.
struct RegistryRoots {
    HKEY user = HKEY_CURRENT_USER;
    std::wstring userPrefix;
    HKEY machine = HKEY_LOCAL_MACHINE;
    std::wstring machinePrefix;
};

// Returns the roots used until now.
RegistryRoots UseRegistryRoots(const RegistryRoots& roots);
