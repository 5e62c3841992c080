#include "core/mail/MailAddresses.h"

#include <cctype>
#include <string_view>
#include <unordered_set>

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
    return std::string_view("()<>[]\\,;:\"@").find(c) == std::string_view::npos;
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

std::string AddressProblem(const std::string& text)
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
    const std::string_view local = std::string_view(text).substr(0, at);
    for (const char c : local)
        if (!IsAtomCharacter(c) && c != '.')
            return "is not an address";
    if (local.front() == '.' || local.back() == '.' || local.find("..") != std::string_view::npos)
        return "is not an address";
    std::string_view domain = std::string_view(text).substr(at + 1);
    for (std::size_t dot = domain.find('.');; dot = domain.find('.')) {
        if (!IsDomainLabel(domain.substr(0, dot)))
            return "has no valid domain";
        if (dot == std::string_view::npos)
            break;
        domain.remove_prefix(dot + 1);
    }
    return {};
}

std::string AddressKey(const std::string& address)
{
    std::string key = address;
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

Result<ReceiverSelection> SelectReceivers(const std::string& receivers)
{
    // A line feed is a separator, so it never stands inside an address.
    const Result<std::string> joined = CollectReceivers(receivers, kDelimiterNewline);
    if (!joined)
        return joined.failure();
    ReceiverSelection selection;
    std::unordered_set<std::string> seen;
    std::string_view rest = *joined;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string text(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (const std::string problem = AddressProblem(text); !problem.empty()) {
            selection.skipped.push_back({text, problem});
            continue;
        }
        if (seen.insert(AddressKey(text)).second)
            selection.addresses.push_back(text);
    }
    return selection;
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
