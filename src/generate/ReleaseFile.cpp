#include "generate/ReleaseFile.h"

std::string ReleaseFileText(const std::string& companyName, const std::string& release)
{
    return "Press release from " + companyName + "\n\n" + release + "\n";
}

std::string ReleaseFilePath(const std::string& installPath)
{
    if (installPath.empty())
        return {};
    return installPath + "/" + kReleaseFileName;
}
