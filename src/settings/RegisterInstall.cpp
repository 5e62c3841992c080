// Run by the installation: records the data folder as InstallPath in the
// user's settings, as an installer writes the registry on Windows.
#include <cstdio>

#include "settings/SettingsStore.h"

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] != '/') {
        std::fprintf(stderr, "usage: %s /absolute/data/folder\n", argv[0]);
        return 2;
    }
    if (!WriteSetting(kSettingsKeyPath, kInstallPathSetting, argv[1])) {
        std::fprintf(stderr, "could not write %s\n", SettingsFilePath(kSettingsKeyPath).c_str());
        return 1;
    }
    return 0;
}
