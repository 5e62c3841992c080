#include "core/release/ReleaseFile.h"

#include <filesystem>

#include <unistd.h>

#include "core/settings/UserFolders.h"

std::string ReleaseFileText(const std::string& companyName, const std::string& release)
{
    return "Press release from " + companyName + "\n\n" + release + "\n";
}

std::string ReleaseFilePath(const std::string& installPath)
{
    if (!installPath.empty() && access(installPath.c_str(), W_OK | X_OK) == 0)
        return installPath + "/" + kReleaseFileName;
    const std::string cache = CacheFolder();
    if (cache.empty())
        return {};
    std::error_code ignored;  // a folder that cannot be made fails the write
    std::filesystem::create_directories(cache + "/vantrel", ignored);
    return cache + "/vantrel/" + kReleaseFileName;
}
