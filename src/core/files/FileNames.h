#pragma once

#include <string>
#include <string_view>

// The name a Save or Export writes: extension (".pre") is added unless the
// name already ends in it, in any case of letters. "notely-2.1" becomes
// "notely-2.1.pre"; "launch.PRE" stays.
inline std::string WithExtension(std::string path, std::string_view extension)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const std::size_t slash = path.rfind('/');
    const std::size_t nameLength = slash == std::string::npos ? path.size() : path.size() - slash - 1;
    bool ends = nameLength > extension.size();
    for (std::size_t i = 0; ends && i < extension.size(); ++i)
        ends = lower(path[path.size() - extension.size() + i]) == lower(extension[i]);
    return ends ? path : path + std::string(extension);
}
