#include "core/release/ReleaseFile.h"

#include <filesystem>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include "core/files/UserFolders.h"
#include "core/files/Utf8Path.h"

std::string ReleaseFileText(const std::string& companyName, const std::string& release)
{
    return "Press release from " + companyName + "\n\n" + release + "\n";
}

namespace {

// Another user could put a link or a file of theirs there: only a folder
// that no one else may write, or a sticky one where the file is our own
// (or not there yet), is safe to write the release into.
bool IsSafeToWriteInto(const std::string& folder)
{
    struct stat info;
    if (folder.empty() || stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        access(folder.c_str(), W_OK | X_OK) != 0)
        return false;
    const bool othersMayWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    if (othersMayWrite && (info.st_mode & S_ISVTX) == 0)
        return false;
    struct stat file;
    if (lstat((folder + "/" + kReleaseFileName).c_str(), &file) != 0)
        return errno == ENOENT;
    return S_ISREG(file.st_mode) && file.st_uid == geteuid();
}

}  // namespace

std::string ReleaseFilePath(const std::string& installPath)
{
    if (IsSafeToWriteInto(installPath))
        return installPath + "/" + kReleaseFileName;
    const std::string cache = CacheFolder();
    if (cache.empty())
        return {};
    std::error_code ignored;  // a folder that cannot be made fails the write
    std::filesystem::create_directories(Utf8Path(cache + "/vantrel"), ignored);
    return cache + "/vantrel/" + kReleaseFileName;
}
