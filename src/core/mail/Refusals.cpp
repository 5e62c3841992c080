#include "core/mail/Refusals.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

template <std::size_t N> bool HasAny(const std::string& lower, const std::string_view (&phrases)[N])
{
    return std::any_of(std::begin(phrases), std::end(phrases),
                       [&lower](std::string_view phrase) { return lower.find(phrase) != std::string::npos; });
}

// What servers write of an address or a domain that does not exist.
constexpr std::string_view kDeadPhrases[] = {
    "user unknown",
    "unknown user",
    "no such user",
    "no such mailbox",
    "no such recipient",
    "no such address",
    "unknown recipient",
    "recipient unknown",
    "recipient not found",
    "recipientnotfound",
    "user not found",
    "mailbox not found",
    "mailbox unknown",
    "unknown mailbox",
    "address unknown",
    "unknown address",
    "addressee unknown",
    "does not exist",
    "doesn't exist",
    "invalid recipient",
    "invalid mailbox",
    "no mailbox here",
    "not a valid mailbox",
    "name is not recognized",
    "not listed in",
    "t found at the destination",
    "host unknown",
    "unknown host",
    "host not found",
    "domain not found",
    "no such domain",
    "unrouteable address",
    "unroutable address",
    "does not accept mail",
    "user doesn't have",
    "no longer available",
    "account has been deleted",
    "account is deleted",
    "has moved",
    "no mx record",
    "invalid final delivery",
    "couldn't be found",
    "could not be found",
    "name not found",
};

// Refusals of the sender that some servers still give a dead address's
// status: the words outweigh the status then.
constexpr std::string_view kStrongPolicyPhrases[] = {
    "blacklist", "blocklist",  "block list", "black list", "spamhaus", "rbl",
    "dnsbl",     "reputation", "spf",        "dkim",       "dmarc",    "spam",
};

// What servers write when they refuse the sender rather than the address.
constexpr std::string_view kPolicyPhrases[] = {
    "spam",         "blacklist",  "blocklist",      "block list",     "black list", "blocked",
    "spamhaus",     "rbl",        "dnsbl",          "reputation",     "spf",        "dkim",
    "dmarc",        "ptr record", "reverse dns",    "rdns",           "policy",     "virus",
    "relay access", "relaying",   "not authorized", "authentication", "tls",        "content rejected",
};

// What servers write of a mailbox that may take mail again.
constexpr std::string_view kTemporaryPhrases[] = {
    "mailbox full", "mailbox is full", "quota",    "over limit", "exceeded", "insufficient",
    "disabled",     "suspended",       "inactive", "try again",  "temporar", "disk space",
};

bool IsDigits(std::string_view text, std::size_t most)
{
    return !text.empty() && text.size() <= most &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "5.1.1": class, subject and detail.
struct Status {
    char klass = 0;
    std::string_view subject;
    std::string_view detail;
};

bool ReadStatus(std::string_view text, Status& status)
{
    const std::size_t first = text.find('.');
    const std::size_t second = first == std::string_view::npos ? first : text.find('.', first + 1);
    if (second == std::string_view::npos || first != 1 ||
        (text[0] != '2' && text[0] != '4' && text[0] != '5') ||
        !IsDigits(text.substr(first + 1, second - first - 1), 3) || !IsDigits(text.substr(second + 1), 3))
        return false;
    status = {text[0], text.substr(first + 1, second - first - 1), text.substr(second + 1)};
    return true;
}

std::string_view FirstWord(std::string_view text)
{
    const std::size_t begin = std::min(text.find_first_not_of(" \t;"), text.size());
    text.remove_prefix(begin);
    return text.substr(0, std::min(text.find_first_of(" \t;,"), text.size()));
}

// The SMTP reply code in front of the words ("550" or "550-", also after
// "smtp;" as a report's Diagnostic-Code writes it) and the enhanced status
// after it, when there are.
struct Reply {
    char code = 0;  // its first digit
    Status status;
    bool hasStatus = false;
};

Reply ReplyOf(std::string_view words)
{
    Reply reply;
    if (Lower(FirstWord(words)).rfind("smtp", 0) == 0 && words.find(';') != std::string_view::npos)
        words.remove_prefix(words.find(';') + 1);
    const std::string_view first = FirstWord(words);
    if (ReadStatus(first, reply.status)) {
        reply.hasStatus = true;
        return reply;
    }
    if (!IsDigits(first.substr(0, 3), 3) || (first.size() > 3 && first[3] != '-'))
        return reply;
    reply.code = first[0];
    const std::string_view rest = words.substr(words.find(first) + first.size());
    reply.hasStatus = ReadStatus(first.size() > 4 ? first.substr(4) : FirstWord(rest), reply.status);
    return reply;
}

bool IsDeadStatus(const Status& status)
{
    if (status.klass != '5' || status.subject != "1")
        return false;
    return status.detail == "1" || status.detail == "2" || status.detail == "3" || status.detail == "6" ||
        status.detail == "10";
}

bool IsPolicyStatus(const Status& status)
{
    return status.subject == "7" ||
        (status.subject == "1" && (status.detail == "7" || status.detail == "8")) || status.subject == "6" ||
        (status.subject == "2" && status.detail == "3");
}

// Statuses that say too little of why, so that the words decide: the
// generic ones, an address status of a detail no standard gives, a
// disabled mailbox (some servers say so of an unknown user) and the
// routing ones (the name of a domain that does not exist).
bool IsGenericStatus(const Status& status)
{
    if (status.subject == "1")
        return status.detail.size() > 2 || (status.detail.size() == 2 && status.detail != "10");
    if (status.subject == "2")
        return status.detail == "0" || status.detail == "1";
    return status.subject == "0" || status.subject == "5" || status.subject == "4";
}

// A policy status quoted in the words ("550 5.7.1 ...").
bool QuotesPolicyStatus(std::string_view words)
{
    for (std::size_t at = words.find("5.7."); at != std::string_view::npos; at = words.find("5.7.", at + 1))
        if ((at == 0 || !std::isdigit(static_cast<unsigned char>(words[at - 1]))) && at + 4 < words.size() &&
            std::isdigit(static_cast<unsigned char>(words[at + 4])))
            return true;
    return false;
}

}  // namespace

bool NamesADeadAddress(std::string_view words)
{
    const std::string lower = Lower(words);
    return HasAny(lower, kDeadPhrases) && !HasAny(lower, kPolicyPhrases) && !HasAny(lower, kTemporaryPhrases);
}

Refusal ClassifyRefusal(std::string_view status, std::string_view words)
{
    const Reply reply = ReplyOf(words);
    Status read;
    const bool given = ReadStatus(status, read);
    if (!given && reply.hasStatus)
        read = reply.status;
    const bool known = given || reply.hasStatus;
    const char klass = known ? read.klass : reply.code;
    if (klass == '2')
        return Refusal::Delivered;
    if (klass != '5')
        return Refusal::Temporary;
    const std::string lower = Lower(words);
    if (known && IsDeadStatus(read)) {
        if (QuotesPolicyStatus(words) || HasAny(lower, kStrongPolicyPhrases))
            return Refusal::Policy;
        return HasAny(lower, kTemporaryPhrases) ? Refusal::Temporary : Refusal::DeadAddress;
    }
    if ((known && IsPolicyStatus(read)) || HasAny(lower, kPolicyPhrases))
        return Refusal::Policy;
    if ((!known || IsGenericStatus(read)) && NamesADeadAddress(words))
        return Refusal::DeadAddress;
    return Refusal::Temporary;
}

const char* PolicyHint(std::string_view status, std::string_view words)
{
    const std::string lower = Lower(std::string(status) + " " + std::string(words));
    if (lower.find("spf") != std::string::npos || lower.find("dkim") != std::string::npos ||
        lower.find("dmarc") != std::string::npos || lower.find("authenticat") != std::string::npos ||
        lower.find("5.7.26") != std::string::npos)
        return "the sending domain's SPF, DKIM or DMARC";
    for (const std::string_view word : {"blacklist", "blocklist", "block list", "rbl", "spamhaus",
                                        "reputation", "ptr", "reverse dns", "rdns", "blocked"})
        if (lower.find(word) != std::string::npos)
            return "the sending server's reputation (a blocklist or its reverse DNS)";
    if (lower.find("spam") != std::string::npos || lower.find("virus") != std::string::npos ||
        lower.find("content") != std::string::npos)
        return "the message's content (taken for spam)";
    return "the receiving server's policy";
}
