#include "core/mail/MailAddresses.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/release/ReceiverList.h"

namespace {

constexpr std::size_t kMaxAddressBytes = 254;

bool IsAtomCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte >= 0x7f)
        return false;
    // These end or quote an address in a header; an address holding one
    // would change the header it is written into.
    // A switch, not a search of a string: this runs for every character of
    // every address in a list of a million.
    switch (c) {
    case '(': case ')': case '<': case '>': case '[': case ']':
    case '\\': case ',': case ';': case ':': case '"': case '@': return false;
    default: return true;
    }
}

bool IsDomainLabel(std::string_view label)
{
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
        return false;
    for (const char c : label)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-'))
            return false;
    return true;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

}  // namespace

namespace {

// Why text cannot be an address, or nullptr: no copy, no allocation.
const char* AddressProblemIn(std::string_view text)
{
    if (text.size() > kMaxAddressBytes)
        return "longer than 254 bytes";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < ' ' || byte == 0x7f)
            return "holds a control character";
        if (byte == ' ')
            return "holds a blank";
        if (byte > 0x7f)
            return "holds a character other than ASCII";
    }
    const std::size_t at = text.rfind('@');
    if (at == std::string::npos || at + 1 == text.size())
        return "has no domain";
    if (at == 0)
        return "has no name before the @";
    const std::string_view local = text.substr(0, at);
    for (const char c : local)
        if (!IsAtomCharacter(c) && c != '.')
            return "is not an address";
    if (local.front() == '.' || local.back() == '.' || local.find("..") != std::string_view::npos)
        return "is not an address";
    std::string_view domain = text.substr(at + 1);
    for (std::size_t dot = domain.find('.');; dot = domain.find('.')) {
        if (!IsDomainLabel(domain.substr(0, dot)))
            return "has no valid domain";
        if (dot == std::string_view::npos)
            break;
        domain.remove_prefix(dot + 1);
    }
    return nullptr;
}

}  // namespace

std::string AddressProblem(const std::string& text)
{
    const char* problem = AddressProblemIn(text);
    return problem ? problem : "";
}

std::string AddressKey(const std::string& address)
{
    std::string key = address;
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimmedBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char EntrySeparator(int delimiter)
{
    switch (delimiter) {
    case kDelimiterComma: return ',';
    case kDelimiterSpace: return ' ';
    case kDelimiterNewline: return '\n';
    default: return ';';
    }
}

// Calls take for each entry between separators; a separator inside a
// quoted name does not count, but a line break always ends an entry.
template <typename Take> void ForEachEntry(std::string_view text, int delimiter, Take take)
{
    const char separator = EntrySeparator(delimiter);
    const bool blanksSeparate = separator == ' ';
    bool quoted = false;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size() && text[i + 1] != '\n') {
            ++i;
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        const bool ends = c == '\n' || (!quoted && (c == separator || (blanksSeparate && c == '\t')));
        if (!ends)
            continue;
        take(text.substr(begin, i - begin));
        begin = i + 1;
        quoted = false;
    }
    take(text.substr(begin));
}

// The name of "Name <address>" with its quotes taken off, or nullopt when
// it is not a name that can stand beside an address.
std::optional<std::string> EntryName(std::string_view name)
{
    if (name.empty() || name.front() != '"')
        return name.find_first_of("\"<>@") == std::string_view::npos ? std::optional(std::string(name))
                                                                     : std::nullopt;
    std::string unquoted;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 1 < name.size())
            unquoted += name[++i];
        else if (name[i] == '"')
            return i + 1 == name.size() ? std::optional(unquoted) : std::nullopt;
        else
            unquoted += name[i];
    }
    return std::nullopt;
}

const char* BareAddressProblem(std::string_view address)
{
    if (std::count(address.begin(), address.end(), '@') > 1)
        return "two @";
    if (std::any_of(address.begin(), address.end(), [](char c) { return c == ' ' || c == '\t'; }))
        return "a blank inside the address";
    return AddressProblemIn(address);
}

std::size_t FirstOutsideQuotes(std::string_view text, char wanted)
{
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (quoted && text[i] == '\\')
            ++i;
        else if (text[i] == '"')
            quoted = !quoted;
        else if (!quoted && text[i] == wanted)
            return i;
    }
    return std::string_view::npos;
}

// One entry: its address (a view into the entry) and name, or the reason
// it is skipped.
struct Entry {
    std::string_view address;
    std::string name;
    const char* reason = nullptr;
};

Entry ParseEntry(std::string_view entry, int delimiter)
{
    if (entry.find('@') == std::string_view::npos)
        return {{},
                {},
                delimiter == kDelimiterSpace && entry.find('<') == std::string_view::npos
                    ? "is not an address; with the delimiter Space no name can stand beside an address"
                    : "is not an address"};
    const std::size_t open = FirstOutsideQuotes(entry, '<');
    if (open == std::string_view::npos)
        return {entry, {}, entry.front() == '"' ? "text beside the address" : BareAddressProblem(entry)};
    const std::size_t close = entry.find('>', open);
    if (close == std::string_view::npos || close + 1 != entry.size())
        return {{}, {}, "text beside the address"};
    std::optional<std::string> name = EntryName(TrimmedBlanks(entry.substr(0, open)));
    if (!name)
        return {{}, {}, "text beside the address"};
    const std::string_view address = entry.substr(open + 1, close - open - 1);
    return {address, std::move(*name), BareAddressProblem(address)};
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Addresses compared as AddressKey compares them, without making keys.
struct CaselessHash {
    std::size_t operator()(std::string_view text) const
    {
        std::size_t hash = 14695981039346656037ull;
        for (const char c : text)
            hash = (hash ^ static_cast<unsigned char>(Lower(c))) * 1099511628211ull;
        return hash;
    }
};
struct CaselessEqual {
    bool operator()(std::string_view a, std::string_view b) const
    {
        return a.size() == b.size() &&
            std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
    }
};

}  // namespace

namespace {

// The addresses seen so far, as views into the receivers text, compared as
// AddressKey compares them. Open addressing over offsets into the text: a
// list of a million addresses needs no allocation for each of them.
template <typename Offset> class SeenAddresses {
public:
    SeenAddresses(std::string_view text, std::size_t expected) : text_(text)
    {
        std::size_t size = 16;
        while (size < 2 * expected)
            size *= 2;
        slots_.resize(size);
    }

    // True when address, a view into the text, was not seen before.
    bool Insert(std::string_view address)
    {
        if (2 * (used_ + 1) > slots_.size())
            Grow();
        return Place(address);
    }

private:
    struct Slot {
        Offset offset = 0;
        Offset size = 0;  // no address is empty: 0 marks a free slot
    };

    bool Place(std::string_view address)
    {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = CaselessHash{}(address) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.size == 0) {
                slot = {static_cast<Offset>(address.data() - text_.data()), static_cast<Offset>(address.size())};
                ++used_;
                return true;
            }
            if (CaselessEqual{}(text_.substr(slot.offset, slot.size), address))
                return false;
        }
    }

    void Grow()
    {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        used_ = 0;
        for (const Slot& slot : old)
            if (slot.size != 0)
                Place(text_.substr(slot.offset, slot.size));
    }

    std::string_view text_;
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

template <typename Offset, typename Taken, typename Skipped, typename Twice>
void SortEntriesWith(std::string_view receivers, int delimiter, Taken& taken, Skipped& skipped, Twice& twice)
{
    // Each address holds an "@", so there are never more of them.
    SeenAddresses<Offset> seen(receivers,
                               static_cast<std::size_t>(std::count(receivers.begin(), receivers.end(), '@')));
    ForEachEntry(receivers, delimiter, [&](std::string_view text) {
        const std::string_view entry = TrimmedBlanks(text);
        if (entry.empty())
            return;
        Entry parsed = ParseEntry(entry, delimiter);
        if (parsed.reason)
            skipped(entry, parsed.reason);
        else if (seen.Insert(parsed.address))
            taken(parsed);
        else
            twice();
    });
}

// Hands each entry of the receivers field to taken, skipped or twice, as
// SelectReceivers sorts them.
template <typename Taken, typename Skipped, typename Twice>
void SortEntries(std::string_view receivers, int delimiter, Taken taken, Skipped skipped, Twice twice)
{
    if (receivers.size() <= std::numeric_limits<std::uint32_t>::max())
        SortEntriesWith<std::uint32_t>(receivers, delimiter, taken, skipped, twice);
    else
        SortEntriesWith<std::size_t>(receivers, delimiter, taken, skipped, twice);
}

}  // namespace

ReceiverSelection SelectReceivers(std::string_view receivers, int delimiter)
{
    ReceiverSelection selection;
    SortEntries(
        receivers, delimiter,
        [&](Entry& parsed) { selection.receivers.push_back({std::move(parsed.name), std::string(parsed.address)}); },
        [&](std::string_view entry, const char* reason) { selection.skipped.push_back({std::string(entry), reason}); },
        [&] { ++selection.twice; });
    return selection;
}

ReceiverCounts CountReceivers(std::string_view receivers, int delimiter)
{
    ReceiverCounts counts;
    SortEntries(
        receivers, delimiter, [&](const Entry&) { ++counts.receivers; },
        [&](std::string_view, const char*) { ++counts.skipped; }, [&] { ++counts.twice; });
    return counts;
}

std::string ReceiverCountText(const ReceiverCounts& counts)
{
    const std::size_t count = counts.receivers;
    std::string text = std::to_string(count) + (count == 1 ? " receiver" : " receivers");
    if (const std::size_t skipped = counts.skipped; skipped > 0)
        text += "; " + std::to_string(skipped) +
            (skipped == 1 ? " entry is not an address" : " entries are not addresses");
    if (counts.twice > 0)
        text += "; " + std::to_string(counts.twice) + " twice";
    return text;
}

std::string ReceiverCountText(const ReceiverSelection& selection)
{
    return ReceiverCountText(ReceiverCounts{selection.receivers.size(), selection.skipped.size(), selection.twice});
}

Mailbox SplitMailbox(const std::string& text)
{
    const std::size_t open = text.rfind('<');
    if (open == std::string::npos || text.empty() || text.back() != '>')
        return {"", std::string(Trimmed(text))};
    std::string_view name = Trimmed(std::string_view(text).substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return {std::string(name), text.substr(open + 1, text.size() - open - 2)};
}

std::string RemoveReceivers(std::string_view receivers, int delimiter,
                            const std::vector<std::string>& addresses)
{
    std::unordered_set<std::string> removed;
    for (const std::string& address : addresses)
        removed.insert(AddressKey(address));
    // Every other entry keeps its text and the separator after it.
    std::string kept;
    bool lastRemoved = false;
    ForEachEntry(receivers, delimiter, [&](std::string_view piece) {
        const std::size_t begin = static_cast<std::size_t>(piece.data() - receivers.data());
        const std::size_t end = std::min(begin + piece.size() + 1, receivers.size());
        const std::string_view entry = TrimmedBlanks(piece);
        const Entry parsed = entry.empty() ? Entry{{}, {}, ""} : ParseEntry(entry, delimiter);
        lastRemoved = !parsed.reason && removed.count(AddressKey(std::string(parsed.address))) != 0;
        if (!lastRemoved)
            kept += receivers.substr(begin, end - begin);
    });
    // Every kept entry brought its separator: the last one now ends the list.
    if (lastRemoved && !kept.empty())
        kept.pop_back();
    return kept;
}
