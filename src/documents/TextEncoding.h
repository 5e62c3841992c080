#pragma once

#include <string>

bool IsValidUtf8(const std::string& text);

// Text from a file: kept as it is when it is valid UTF-8, otherwise read
// as Windows-1252 (the code page of documents written on Windows) and
// converted, so that no character is lost.
std::string Utf8FromUtf8OrWindows1252(const std::string& text);

// Line ends of files: CR LF <-> line feed.
std::string CrLfToLf(const std::string& text);
std::string LfToCrLf(const std::string& text);
