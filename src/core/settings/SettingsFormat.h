#pragma once

#include <map>
#include <string>
#include <string_view>

// The settings file: one "Name=value" line per value, as wxFileConfig and
// people write it. Values are stored byte for byte; only a line feed,
// carriage return, tab and backslash are written as \n, \r, \t and \\, and
// a value that begins with a blank or a quotation mark is put in quotes.
// Nothing in a value is expanded.
using SettingsValues = std::map<std::string, std::string, std::less<>>;

// The values of the top group. Lines that are not understood, and values
// in other groups, are passed over.
SettingsValues ParseSettings(std::string_view bytes);

std::string SettingsFileBytes(const SettingsValues& values);
