// Run by the installation: records the data folder as InstallPath in the
// installation's settings file (etc/xdg/Tarsel/Vantrel.conf of the prefix,
// or /etc/xdg for /usr), where every user's Vantrel finds it.
#include <cstdio>

#include "core/settings/SettingsStore.h"

int main(int argc, char** argv)
{
    if (argc != 3 || argv[1][0] != '/') {
        std::fprintf(stderr, "usage: %s /absolute/data/folder settings-file\n", argv[0]);
        return 2;
    }
    if (!WriteSettingToFile(argv[2], kInstallPathSetting, argv[1])) {
        std::fprintf(stderr, "could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
