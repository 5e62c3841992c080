#include "core/receivers/MailAddresses.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_set>

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
    case '(':
    case ')':
    case '<':
    case '>':
    case '[':
    case ']':
    case '\\':
    case ',':
    case ';':
    case ':':
    case '"':
    case '@': return false;
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

// A receiver's address also needs a dot in its domain: "bob@nodomain" is
// a slip of the keyboard, not a newsroom.
const char* ReceiverAddressProblem(std::string_view address)
{
    if (std::count(address.begin(), address.end(), '@') > 1)
        return "two @";
    if (const char* problem = AddressProblemIn(address))
        return problem;
    if (address.find('.', address.rfind('@')) == std::string_view::npos)
        return "has no dot in its domain";
    return nullptr;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string AddressProblem(const std::string& text)
{
    const char* problem = AddressProblemIn(text);
    return problem ? problem : "";
}

std::string AddressKey(std::string_view address)
{
    std::string key(address);
    for (char& c : key)
        c = Lower(c);
    return key;
}

namespace {

// Blanks stand between the words of an entry; a carriage return is one,
// so that a list written with CR LF line ends reads as one without.
bool IsBlank(char c) { return c == ' ' || c == '\r'; }

// Commas, semicolons and tabs end an entry unless a quoted name or angle
// brackets hold them; a line feed always does, so that a quote left open
// takes no more than its line with it.
bool EndsEntry(char c) { return c == ',' || c == ';' || c == '\t'; }

// What the reading finds in the field, as views into its text: a run that
// is one address (with the name written before it, quotes and all), or a
// run that is not, with why.
struct Found {
    std::string_view run;
    std::string_view address;
    std::string_view name;
    const char* reason = nullptr;
};

// One word of an entry, up to a blank outside quotes and angle brackets.
struct Word {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t open = std::string_view::npos;  // its last "<" outside quotes
    std::size_t close = std::string_view::npos;  // the ">" that closes that one
    bool at = false;  // an "@" outside quotes and angle brackets
    bool brackets = false;  // more than one "<"
};

Word NextWord(std::string_view entry, std::size_t from)
{
    Word word{from, from};
    bool quoted = false;
    bool bracketed = false;
    std::size_t i = from;
    for (; i < entry.size(); ++i) {
        const char c = entry[i];
        if (quoted) {
            if (c == '\\' && i + 1 < entry.size())
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (bracketed) {
            if (c == '>') {
                bracketed = false;
                word.close = i;
            }
        } else if (IsBlank(c)) {
            break;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '<') {
            word.brackets = word.brackets || word.open != std::string_view::npos;
            word.open = i;
            word.close = std::string_view::npos;
            bracketed = true;
        } else if (c == '@') {
            word.at = true;
        }
    }
    word.end = i;
    return word;
}

std::string_view TrimmedBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The name before "<address>" with its quotes taken off, or nullopt when
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

Found Skipped(std::string_view run, const char* reason) { return {run, {}, {}, reason}; }

// "Name <address>": the name is every word since the last entry.
Found InBrackets(std::string_view entry, std::size_t runBegin, const Word& word)
{
    const std::string_view run = entry.substr(runBegin, word.end - runBegin);
    if (word.brackets || word.close == std::string_view::npos || word.close + 1 != word.end)
        return Skipped(run, "text beside the address");
    const std::string_view name = TrimmedBlanks(entry.substr(runBegin, word.open - runBegin));
    if (!EntryName(name))
        return Skipped(run, "text beside the address");
    const std::string_view address = entry.substr(word.open + 1, word.close - word.open - 1);
    if (address.find_first_of(" \r") != std::string_view::npos)
        return Skipped(run, "a blank inside the address");
    return {run, address, name, ReceiverAddressProblem(address)};
}

// Hands found each run of one entry (the text between two separators
// that always separate).
template <typename Take> void ReadEntry(std::string_view entry, Take& found)
{
    constexpr std::size_t kNone = std::string_view::npos;
    std::size_t wordsBegin = kNone;  // words that are not an address, waiting for one
    std::size_t wordsEnd = 0;
    for (std::size_t i = 0;;) {
        while (i < entry.size() && IsBlank(entry[i]))
            ++i;
        if (i == entry.size())
            break;
        const Word word = NextWord(entry, i);
        i = word.end;
        const std::size_t runBegin = wordsBegin == kNone ? word.begin : wordsBegin;
        if (word.open != kNone) {
            found(InBrackets(entry, runBegin, word));
            wordsBegin = kNone;
        } else if (word.at) {
            const std::string_view run = entry.substr(runBegin, word.end - runBegin);
            found(wordsBegin == kNone ? Found{run, run, {}, ReceiverAddressProblem(run)}
                                      : Skipped(run, "words before an address not in angle brackets"));
            wordsBegin = kNone;
        } else {
            wordsBegin = runBegin;
            wordsEnd = word.end;
        }
    }
    if (wordsBegin != kNone)
        found(Skipped(entry.substr(wordsBegin, wordsEnd - wordsBegin), "is not an address"));
}

// Hands found every run of the receivers field, in order.
template <typename Take> void ReadReceivers(std::string_view text, Take found)
{
    bool quoted = false;
    bool bracketed = false;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ReadEntry(text.substr(begin, i - begin), found);
            begin = i + 1;
            quoted = bracketed = false;
        } else if (quoted) {
            if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (bracketed) {
            bracketed = c != '>';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '<') {
            bracketed = true;
        } else if (EndsEntry(c)) {
            ReadEntry(text.substr(begin, i - begin), found);
            begin = i + 1;
        }
    }
    ReadEntry(text.substr(begin), found);
}

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
        for (std::size_t i = CaselessHash{}(address)&mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.size == 0) {
                slot = {static_cast<Offset>(address.data() - text_.data()),
                        static_cast<Offset>(address.size())};
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

template <typename Offset, typename Taken, typename Left, typename Twice>
void SortRunsWith(std::string_view receivers, Taken& taken, Left& left, Twice& twice)
{
    // Each address holds an "@", so there are never more of them.
    SeenAddresses<Offset> seen(receivers,
                               static_cast<std::size_t>(std::count(receivers.begin(), receivers.end(), '@')));
    ReadReceivers(receivers, [&](const Found& found) {
        if (found.reason)
            left(found);
        else if (seen.Insert(found.address))
            taken(found);
        else
            twice();
    });
}

// Hands each run of the receivers field to taken, left or twice, as
// SelectReceivers sorts them.
template <typename Taken, typename Left, typename Twice>
void SortRuns(std::string_view receivers, Taken taken, Left left, Twice twice)
{
    if (receivers.size() <= std::numeric_limits<std::uint32_t>::max())
        SortRunsWith<std::uint32_t>(receivers, taken, left, twice);
    else
        SortRunsWith<std::size_t>(receivers, taken, left, twice);
}

SkippedReceiver SkippedOf(const Found& found) { return {std::string(found.run), found.reason}; }

// The entries left out that the status line names.
constexpr std::size_t kNamedInCount = 3;

// The first bytes of text, cut where a character begins.
std::string Shortened(std::string_view text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return std::string(text);
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80)
        --bytes;
    return std::string(text.substr(0, bytes)) + "\u2026";
}

}  // namespace

ReceiverSelection SelectReceivers(std::string_view receivers)
{
    ReceiverSelection selection;
    SortRuns(
        receivers,
        [&](const Found& found) {
            selection.receivers.push_back({EntryName(found.name).value_or(""), std::string(found.address)});
        },
        [&](const Found& found) { selection.skipped.push_back(SkippedOf(found)); },
        [&] { ++selection.twice; });
    return selection;
}

void ForEachReceiver(std::string_view receivers, const std::function<void(std::string_view address)>& taken,
                     const std::function<void(std::string_view run, const char* reason)>& left)
{
    ReadReceivers(receivers, [&](const Found& found) {
        if (found.reason)
            left(found.run, found.reason);
        else
            taken(found.address);
    });
}

ReceiverCounts CountReceivers(std::string_view receivers)
{
    ReceiverCounts counts;
    SortRuns(
        receivers, [&](const Found&) { ++counts.receivers; },
        [&](const Found& found) {
            if (++counts.skipped <= kFirstSkippedKept)
                counts.firstSkipped.push_back(SkippedOf(found));
        },
        [&] { ++counts.twice; });
    return counts;
}

std::string NotAddressesText(std::size_t count, const std::vector<SkippedReceiver>& first)
{
    std::string text =
        std::to_string(count) + (count == 1 ? " entry is not an address" : " entries are not addresses");
    const std::size_t named = std::min(first.size(), kNamedInCount);
    for (std::size_t i = 0; i < named; ++i)
        text += (i == 0 ? " (\"" : ", \"") + Shortened(first[i].text, 40) + "\"";
    if (named > 0)
        text += count > named ? ", \u2026)" : ")";
    return text;
}

std::string ReceiverCountText(const ReceiverCounts& counts)
{
    const std::size_t count = counts.receivers;
    std::string text = std::to_string(count) + (count == 1 ? " receiver" : " receivers");
    if (counts.skipped > 0)
        text += "; " + NotAddressesText(counts.skipped, counts.firstSkipped);
    if (counts.twice > 0)
        text += "; " + std::to_string(counts.twice) + " twice";
    return text;
}

std::string ReceiverCountText(const ReceiverSelection& selection)
{
    return ReceiverCountText(ReceiverCounts{selection.receivers.size(), selection.skipped.size(),
                                            selection.twice, selection.skipped});
}

std::string SkippedReceiversText(const std::vector<SkippedReceiver>& first, std::size_t count)
{
    std::string text;
    for (const SkippedReceiver& entry : first)
        text += (text.empty() ? "\"" : "\n\"") + Shortened(entry.text, 80) + "\": " + entry.reason;
    if (count > first.size())
        text += "\nand " + std::to_string(count - first.size()) + " more";
    return text;
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

std::string RemoveReceivers(std::string_view receivers, const std::vector<std::string>& addresses)
{
    std::unordered_set<std::string> removed;
    for (const std::string& address : addresses)
        removed.insert(AddressKey(address));
    std::string kept;
    std::size_t from = 0;  // what is not yet copied or cut begins here
    std::size_t removedFrom = 0;  // where the runs taken out last in a row begin
    std::size_t lastKeptEnd = 0;
    std::size_t lastEnd = 0;
    bool lastRemoved = false;
    ReadReceivers(receivers, [&](const Found& found) {
        const auto begin = static_cast<std::size_t>(found.run.data() - receivers.data());
        const bool remove = !found.reason && removed.count(AddressKey(found.address)) != 0;
        if (remove && !lastRemoved) {
            kept.append(receivers.substr(from, begin - from));
            removedFrom = begin;
        }
        // A run taken out takes the separators after it along.
        if (!remove && lastRemoved)
            from = begin;
        lastRemoved = remove;
        lastEnd = begin + found.run.size();
        if (!remove)
            lastKeptEnd = lastEnd;
    });
    if (!lastRemoved)
        return kept.append(receivers.substr(from));
    // The last runs went: the separators before them go instead.
    kept.resize(kept.size() - (removedFrom - std::min(removedFrom, lastKeptEnd)));
    return kept.append(receivers.substr(lastEnd));
}
