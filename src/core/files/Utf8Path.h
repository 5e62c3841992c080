#pragma once

#include <filesystem>
#include <string>

// A path from the program's UTF-8 text. std::filesystem reads a plain
// string in the C runtime's code page, which on Windows is not UTF-8, so
// that "Zoë" would become another folder.
inline std::filesystem::path Utf8Path(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
