#pragma once

#include <map>
#include <string>
#include <string_view>

// The settings file: one "Name=value" line per value, as wxFileConfig and
// people write it. Values are stored byte for byte; only a line feed,
// carriage return, tab and backslash are written as \n, \r, \t and \\, and
// a value that begins with a blank or a quotation mark is put in quotes.
// Nothing in a value is expanded.
// Names are found in any case of letters, as the earlier reader did.
struct NamesMatch {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
using SettingsValues = std::map<std::string, std::string, NamesMatch>;

// The values of the top group (before any [group], or under "[/]" or
// "[]"). A UTF-8 byte-order mark, lines that are not understood, and values
// in other groups are passed over.
SettingsValues ParseSettings(std::string_view bytes);

// The file with the one value set: its line replaced, or added at the end
// of the top group. Every other byte stays as it was: other groups,
// comments, unknown lines, the byte-order mark.
std::string UpdateSettingsBytes(std::string_view bytes, const std::string& name, const std::string& value);

// A value cut to at most limit bytes without splitting a UTF-8 sequence, as
// both stores keep it.
std::string CutToLength(const std::string& text, std::size_t limit);
