#include "core/replies/HeaderValues.h"

#include <optional>

#include "core/AsciiText.h"
#include "core/replies/MimeMessage.h"

namespace {

// RFC 2047 keeps an encoded word to 75 bytes; a longer run is not one.
constexpr std::size_t kLongestEncodedWord = 200;
// A reply names a few; a list of thousands is not one we act on.
constexpr std::size_t kMostAddresses = 1000;
// A date with its comments fits in far less.
constexpr std::size_t kLongestDate = 200;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Latin1AsUtf8(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xc0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3f));
        }
    }
    return text;
}

std::string DecodeWordText(char encoding, std::string_view text)
{
    if (encoding == 'b')
        return DecodeBase64(text);
    // "=5F" stays an underscore: blanks first, then the escapes.
    std::string blanks(text);
    for (char& c : blanks)
        if (c == '_')
            c = ' ';
    return DecodeQuotedPrintable(blanks);
}

struct EncodedWord {
    std::string text;
    std::size_t end = 0;
};

// "=?charset?Q?text?=" at pos.
std::optional<EncodedWord> ReadEncodedWord(std::string_view text, std::size_t pos)
{
    const std::string_view word = text.substr(pos, kLongestEncodedWord);
    const std::size_t charsetEnd = word.find('?', 2);
    if (charsetEnd == std::string_view::npos || charsetEnd == 2 || charsetEnd + 3 > word.size() ||
        word[charsetEnd + 2] != '?')
        return std::nullopt;
    const char encoding = static_cast<char>(word[charsetEnd + 1] | 0x20);
    const std::size_t textEnd = word.find("?=", charsetEnd + 3);
    if ((encoding != 'q' && encoding != 'b') || textEnd == std::string_view::npos)
        return std::nullopt;
    const std::string_view encoded = word.substr(charsetEnd + 3, textEnd - charsetEnd - 3);
    for (const char c : encoded)
        if (IsBlank(c))
            return std::nullopt;
    std::string charset = LowerAscii(word.substr(2, charsetEnd - 2));
    charset = charset.substr(0, charset.find('*'));  // RFC 2231 language
    std::string decoded = DecodeWordText(encoding, encoded);
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "windows-1252")
        decoded = Latin1AsUtf8(decoded);
    return EncodedWord{std::move(decoded), pos + textEnd + 2};
}

// A civil date as days since 1970-01-01 (Howard Hinnant's days_from_civil).
long long DaysFromCivil(long long year, unsigned month, unsigned day)
{
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

bool IsLeapYear(long long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// A run of 1 to max digits, else -1.
long long Number(std::string_view text, std::size_t most)
{
    if (text.empty() || text.size() > most)
        return -1;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int MonthNumber(std::string_view name)
{
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::string lower = LowerAscii(name.substr(0, 3));
    for (int i = 0; i < 12; ++i)
        if (name.size() >= 3 && lower == kMonths[i])
            return i + 1;
    return 0;
}

// Minutes east of UTC; the obsolete names of RFC 5322 4.3, any other as UTC.
std::optional<long long> ZoneMinutes(std::string_view zone)
{
    if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-')) {
        const long long hours = Number(zone.substr(1, 2), 2), minutes = Number(zone.substr(3, 2), 2);
        if (hours < 0 || minutes < 0 || minutes > 59)
            return std::nullopt;
        return (zone[0] == '-' ? -1 : 1) * (hours * 60 + minutes);
    }
    static const struct {
        const char* name;
        int hours;
    } kZones[] = {{"est", -5}, {"edt", -4}, {"cst", -6}, {"cdt", -5},
                  {"mst", -7}, {"mdt", -6}, {"pst", -8}, {"pdt", -7}};
    const std::string lower = LowerAscii(zone);
    for (const auto& known : kZones)
        if (lower == known.name)
            return known.hours * 60;
    return 0;
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == ','))
            ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != ',')
            ++pos;
        if (pos > start)
            words.push_back(text.substr(start, pos - start));
    }
    return words;
}

}  // namespace

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string LowerAscii(std::string_view text) { return LowerAsciiLetters(std::string(text)); }

std::string_view FirstWord(std::string_view text)
{
    text = Trimmed(text);
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != ';')
        ++end;
    return text.substr(0, end);
}

std::string DecodeEncodedWords(std::string_view text)
{
    std::string decoded;
    bool afterWord = false;  // only blanks since the last encoded word
    std::size_t wordEnd = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        if (text[pos] == '=' && pos + 1 < text.size() && text[pos + 1] == '?') {
            if (std::optional<EncodedWord> word = ReadEncodedWord(text, pos)) {
                // Blanks between two encoded words are not part of the text.
                if (afterWord)
                    decoded.resize(wordEnd);
                decoded += word->text;
                wordEnd = decoded.size();
                afterWord = true;
                pos = word->end;
                continue;
            }
        }
        if (!IsBlank(text[pos]))
            afterWord = false;
        decoded += text[pos++];
    }
    return decoded;
}

std::string WithoutComments(std::string_view text)
{
    std::string kept;
    std::size_t depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            if (depth == 0)
                kept.append(text.substr(i, 2));
            ++i;
        } else if (quoted) {
            quoted = c != '"';
            kept += c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && depth > 0) {
            --depth;
        } else if (depth == 0) {
            quoted = c == '"';
            kept += c;
        }
    }
    return kept;
}

std::vector<std::string> AddressesIn(std::string_view list)
{
    const std::string text = WithoutComments(list);
    std::vector<std::string> addresses;
    std::string entry, inAngles;
    bool quoted = false, angled = false, hadAngles = false;
    const auto finish = [&] {
        std::string address(Trimmed(hadAngles ? inAngles : entry));
        // An obsolete route "<@a.org:ann@x.org>" before the address.
        address = address.substr(address.find(':') == std::string::npos ? 0 : address.rfind(':') + 1);
        if (!address.empty())
            addresses.push_back(LowerAscii(address));
        entry.clear();
        inAngles.clear();
        hadAngles = false;
    };
    for (std::size_t i = 0; i < text.size() && addresses.size() < kMostAddresses; ++i) {
        const char c = text[i];
        if (quoted) {
            quoted = c != '"';
            if (c == '\\')
                ++i;
        } else if (angled) {
            angled = c != '>';
            if (angled)
                inAngles += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '<') {
            angled = hadAngles = true;
            inAngles.clear();
        } else if (c == ',' || c == ';') {
            finish();
        } else if (c == ':') {
            entry.clear();  // a group's name
        } else {
            entry += c;
        }
    }
    if (addresses.size() < kMostAddresses)
        finish();
    return addresses;
}

std::vector<std::string> MessageIdsIn(std::string_view value)
{
    std::vector<std::string> ids;
    for (std::size_t open = value.find('<'); open != std::string_view::npos; open = value.find('<', open)) {
        const std::size_t close = value.find_first_of("<>", open + 1);
        if (close == std::string_view::npos)
            break;
        if (value[close] == '>') {
            std::string id;
            for (const char c : value.substr(open + 1, close - open - 1))
                if (!IsBlank(c))
                    id += c;
            if (!id.empty())
                ids.push_back(std::move(id));
        }
        open = value[close] == '<' ? close : close + 1;
    }
    const std::string_view lone = Trimmed(value);
    if (ids.empty() && lone.find('@') != std::string_view::npos && Words(lone).size() == 1)
        ids.emplace_back(lone);
    return ids;
}

std::time_t ReadMailDate(std::string_view text)
{
    const std::string plain = WithoutComments(text.substr(0, kLongestDate));
    std::vector<std::string_view> words = Words(plain);
    std::size_t i = 0;
    if (!words.empty() && Number(words[0], 2) < 0 && MonthNumber(words[0]) == 0)
        ++i;  // the day of the week
    if (words.size() < i + 4)
        return 0;
    const long long day = Number(words[i], 2);
    const int month = MonthNumber(words[i + 1]);
    long long year = Number(words[i + 2], 4);
    const std::string_view time = words[i + 3];
    if (year >= 0 && words[i + 2].size() <= 3)
        year += words[i + 2].size() == 2 && year < 50 ? 2000 : 1900;
    const std::size_t colon = time.find(':'), secondColon = time.find(':', colon + 1);
    const long long hour = colon == std::string_view::npos ? -1 : Number(time.substr(0, colon), 2);
    const long long minute = Number(time.substr(colon + 1, secondColon - colon - 1), 2);
    const long long second =
        secondColon == std::string_view::npos ? 0 : Number(time.substr(secondColon + 1), 2);
    static const int kDaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 0 || year < 1970 || day < 1 || day > kDaysIn[month - 1] ||
        (month == 2 && day == 29 && !IsLeapYear(year)) || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60)
        return 0;
    const std::optional<long long> zone = words.size() > i + 4 ? ZoneMinutes(words[i + 4]) : 0;
    if (!zone)
        return 0;
    const long long seconds =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
        minute * 60 + second - *zone * 60;
    return seconds > 0 ? static_cast<std::time_t>(seconds) : 0;
}
