#pragma once

#include <string>

inline constexpr const char* kReleaseFileName = "temp.txt";

// What Generate, Text File writes: "Press release from " and the company,
// an empty line, the release, and one more line feed.
std::string ReleaseFileText(const std::string& companyName, const std::string& release);

// The release file in the installation folder; empty when no folder is
// known, since the release must not land in the root folder.
std::string ReleaseFilePath(const std::string& installPath);
