#include "core/settings/SettingsFormat.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string UnescapeValue(std::string_view text)
{
    const bool quoted = !text.empty() && text.front() == '"';
    if (quoted)
        text.remove_prefix(1);
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            switch (text[++i]) {
            case 'n': value += '\n'; break;
            case 'r': value += '\r'; break;
            case 't': value += '\t'; break;
            case '\\': value += '\\'; break;
            case '"': value += '"'; break;
            default: break;  // an unknown escape stands for nothing
            }
        } else if (!(quoted && c == '"' && i + 1 == text.size())) {
            value += c;
        }
    }
    return value;
}

std::string EscapeValue(const std::string& value)
{
    const bool quoted = !value.empty() && (IsBlank(value.front()) || value.front() == '"');
    std::string text = quoted ? "\"" : "";
    for (const char c : value) {
        switch (c) {
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        case '\t': text += "\\t"; break;
        case '\\': text += "\\\\"; break;
        case '"': text += quoted ? "\\\"" : "\""; break;
        default: text += c;
        }
    }
    return quoted ? text + "\"" : text;
}

// "[/]" and "[]" name the top group; any other name a group of its own.
bool IsTopGroupHeader(std::string_view line) { return line == "[]" || line == "[/]"; }

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One line of a settings file as the reader sees it.
struct SettingsLine {
    enum Kind { Other, Header, Value } kind = Other;
    bool topGroupHeader = false;  // a header that opens the top group
    std::string_view name;
    std::string_view text;
};

SettingsLine ReadLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    SettingsLine read;
    if (line.empty() || line.front() == '#' || line.front() == ';')
        return read;
    if (line.front() == '[') {
        read.kind = SettingsLine::Header;
        read.topGroupHeader = IsTopGroupHeader(TrimBlanks(line));
        return read;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return read;
    read.name = TrimBlanks(line.substr(0, equals));
    read.text = line.substr(equals + 1);
    while (!read.text.empty() && IsBlank(read.text.front()))
        read.text.remove_prefix(1);
    read.kind = read.name.empty() ? SettingsLine::Other : SettingsLine::Value;
    return read;
}

// Calls visit(line with its line end, what it is, whether it is in the top
// group) for every line, after a byte-order mark.
template <typename Visit> void ForEachLine(std::string_view bytes, Visit visit)
{
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        bytes.remove_prefix(kByteOrderMark.size());
    bool inTopGroup = true;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view line = bytes.substr(0, end == std::string_view::npos ? bytes.size() : end + 1);
        bytes.remove_prefix(line.size());
        const SettingsLine read = ReadLine(line.substr(0, line.size() - (line.back() == '\n' ? 1 : 0)));
        if (read.kind == SettingsLine::Header)
            inTopGroup = read.topGroupHeader;
        visit(line, read, inTopGroup);
    }
}

}  // namespace

bool NamesMatch::operator()(std::string_view a, std::string_view b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

SettingsValues ParseSettings(std::string_view bytes)
{
    SettingsValues values;
    ForEachLine(bytes, [&](std::string_view, const SettingsLine& line, bool inTopGroup) {
        if (line.kind == SettingsLine::Value && inTopGroup)
            values.insert_or_assign(std::string(line.name), UnescapeValue(line.text));
    });
    return values;
}

std::string UpdateSettingsBytes(std::string_view bytes, const std::string& name, const std::string& value)
{
    const std::string newLine = name + "=" + EscapeValue(value) + "\n";
    std::string updated;
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        updated = kByteOrderMark;
    bool replaced = false;
    bool insertBeforeNextGroup = true;
    ForEachLine(bytes, [&](std::string_view line, const SettingsLine& read, bool inTopGroup) {
        const bool opensOtherGroup = read.kind == SettingsLine::Header && !inTopGroup;
        if (opensOtherGroup && insertBeforeNextGroup && !replaced) {
            updated += newLine;  // at the end of the first stretch of the top group
            replaced = true;
        }
        insertBeforeNextGroup = insertBeforeNextGroup && !opensOtherGroup;
        const bool ours = read.kind == SettingsLine::Value && inTopGroup && !NamesMatch()(read.name, name) &&
            !NamesMatch()(name, read.name);
        if (ours) {
            if (!replaced)
                updated += newLine;
            replaced = true;
            return;  // a second line of the same name would hide the new value
        }
        updated += line;
        if (line.back() != '\n')
            updated += '\n';
    });
    if (!replaced)
        updated += newLine;
    return updated;
}

std::string CutToLength(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}
