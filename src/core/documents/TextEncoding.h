#pragma once

#include <string>
#include <string_view>

bool IsValidUtf8(const std::string& text);

// Text from a file: kept as it is when it is valid UTF-8, otherwise read
// as Windows-1252 (the code page of documents written on Windows) and
// converted, so that no character is lost.
std::string Utf8FromUtf8OrWindows1252(std::string text);

// Line ends of files: CR LF <-> line feed.
std::string CrLfToLf(std::string_view text);
std::string LfToCrLf(std::string_view text);
void AppendLfAsCrLf(std::string& out, std::string_view text);
