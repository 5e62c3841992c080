#include "core/settings/SettingsFormat.h"

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

}  // namespace

SettingsValues ParseSettings(std::string_view bytes)
{
    SettingsValues values;
    bool inTopGroup = true;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        while (!line.empty() && IsBlank(line.front()))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        if (line.front() == '[') {
            inTopGroup = IsTopGroupHeader(TrimBlanks(line));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || !inTopGroup)
            continue;
        const std::string_view name = TrimBlanks(line.substr(0, equals));
        if (name.empty())
            continue;
        std::string_view text = line.substr(equals + 1);
        while (!text.empty() && IsBlank(text.front()))
            text.remove_prefix(1);
        values.insert_or_assign(std::string(name), UnescapeValue(text));
    }
    return values;
}

std::string SettingsFileBytes(const SettingsValues& values)
{
    std::string bytes;
    for (const auto& [name, value] : values)
        bytes += name + "=" + EscapeValue(value) + "\n";
    return bytes;
}
