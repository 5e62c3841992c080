#pragma once

// The XDG folders moved to files, whose safe writing keeps copies in the
// cache folder; this name stays for the code that still includes it.
#include "core/files/UserFolders.h"
