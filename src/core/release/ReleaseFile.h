#pragma once

#include <string>

inline constexpr const char* kReleaseFileName = "temp.txt";

// What Generate, Text File writes: "Press release from " and the company,
// an empty line, the release, and one more line feed.
std::string ReleaseFileText(const std::string& companyName, const std::string& release);

// Where the release file goes: the installation folder when the user may
// write there (a per-user installation) and no one else can plant a file
// or link there (the folder is the user's alone, or sticky with the file
// the user's own), otherwise vantrel/ in the user's cache folder, which is
// created. Empty when neither can be had. Write it with Links::Replace.
std::string ReleaseFilePath(const std::string& installPath);
