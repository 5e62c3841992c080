#include "core/mail/DeadAddress.h"

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

bool IsDigits(std::string_view text, std::size_t most)
{
    return !text.empty() && text.size() <= most &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "5.1.1": class, subject and detail.
bool IsStatus(std::string_view text)
{
    const std::size_t first = text.find('.');
    const std::size_t second = first == std::string_view::npos ? first : text.find('.', first + 1);
    return second != std::string_view::npos && IsDigits(text.substr(0, first), 1) &&
        IsDigits(text.substr(first + 1, second - first - 1), 3) && IsDigits(text.substr(second + 1), 3);
}

std::string_view FirstWord(std::string_view text)
{
    const std::size_t begin = std::min(text.find_first_not_of(" \t"), text.size());
    text.remove_prefix(begin);
    return text.substr(0, std::min(text.find_first_of(" \t"), text.size()));
}

// The SMTP reply code in front of the words ("550" or "550-"), and the
// enhanced status after it, when there are.
struct Reply {
    std::string_view code;
    std::string_view status;
};

Reply ReplyOf(std::string_view words)
{
    Reply reply;
    const std::string_view first = FirstWord(words);
    const std::string_view code = first.substr(0, 3);
    if (!IsDigits(code, 3) || (first.size() > 3 && first[3] != '-'))
        return IsStatus(first) ? Reply{{}, first} : reply;
    reply.code = code;
    const std::string_view next = FirstWord(words.substr(words.find(first) + first.size()));
    if (IsStatus(next))
        reply.status = next;
    else if (first.size() > 4 && IsStatus(first.substr(4)))
        reply.status = first.substr(4);
    return reply;
}

bool NamesAnUnknownUser(std::string_view words)
{
    static constexpr std::string_view kPhrases[] = {
        "user unknown",      "unknown user",      "no such user",           "no such mailbox",
        "no such recipient", "unknown recipient", "recipient unknown",      "recipient not found",
        "user not found",    "mailbox not found", "address unknown",        "unknown address",
        "does not exist",    "doesn't exist",     "invalid recipient",      "no mailbox here",
        "mailbox unknown",   "unknown mailbox",   "account does not exist",
    };
    const std::string lower = Lower(words);
    return std::any_of(std::begin(kPhrases), std::end(kPhrases),
                       [&lower](std::string_view phrase) { return lower.find(phrase) != std::string::npos; });
}

}  // namespace

bool IsDeadAddress(std::string_view status, std::string_view words)
{
    const Reply reply = ReplyOf(words);
    if (status.empty() || !IsStatus(status))
        status = reply.status;
    if (!status.empty()) {
        for (const std::string_view dead : {"5.1.1", "5.1.2", "5.1.3", "5.1.6", "5.1.10"})
            if (status == dead)
                return true;
        // Policy, spam and reputation say nothing of the address, whatever
        // words a server adds; nor does anything that is not permanent.
        if (status[0] != '5' || status.substr(0, 4) == "5.7.")
            return false;
    } else if (reply.code.empty() || reply.code[0] != '5') {
        return false;
    }
    return NamesAnUnknownUser(words);
}
