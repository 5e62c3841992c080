#include "core/replies/FreeTextBounce.h"

#include <algorithm>
#include <cctype>

#include "core/mail/Refusals.h"
#include "core/replies/HeaderValues.h"

namespace {

// A notice names a few receivers; more are not ours to act on.
constexpr std::size_t kMostAddresses = 100;
constexpr std::size_t kMostParts = 200;

// Lines after which a bounce quotes the message it returns.
constexpr std::string_view kCopyMarkers[] = {
    "below this line is a copy of the message",
    "this is a copy of the message",
    "original message follows",
    "----- original message -----",
    "returned message",
    "original message headers",
    "the original message was received",
    "undelivered message follows",
    "message headers follow",
};

bool IsDaemon(std::string_view local)
{
    return local.find("mailer-daemon") != std::string_view::npos || local == "postmaster" ||
        local.find("mailer_daemon") != std::string_view::npos || local == "root";
}

bool ContainsAny(const std::string& lower, std::initializer_list<std::string_view> words)
{
    return std::any_of(words.begin(), words.end(),
                       [&lower](std::string_view word) { return lower.find(word) != std::string::npos; });
}

// From a mailer daemon or postmaster, with the null sender, or naming its
// failed receivers: a bounce, not a person's reply.
bool IsBounce(const HeaderFields& fields)
{
    if (FindField(fields, "x-failed-recipients"))
        return true;
    const std::string* from = FindField(fields, "from");
    const std::string fromText = from ? LowerAscii(*from) : std::string();
    for (const std::string& address : from ? AddressesIn(*from) : std::vector<std::string>())
        if (IsDaemon(address.substr(0, address.find('@'))))
            return true;
    if (ContainsAny(fromText, {"mail delivery", "mail administrator", "delivery subsystem", "mailer-daemon"}))
        return true;
    const std::string* returnPath = FindField(fields, "return-path");
    const std::string* subject = FindField(fields, "subject");
    const std::string subjectText = subject ? LowerAscii(*subject) : std::string();
    return returnPath && Trimmed(*returnPath) == "<>" &&
        ContainsAny(subjectText,
                    {"undeliver", "delivery", "failure", "returned", "not delivered", "bounce",
                     "could not be", "failed"});
}

// The notice without the copy of the message that follows it.
std::string_view NoticeOf(std::string_view text, std::string_view& copy)
{
    std::size_t line = 0;
    while (line < text.size()) {
        const std::size_t end = std::min(text.find('\n', line), text.size());
        const std::string lower = LowerAscii(text.substr(line, end - line));
        const bool marker =
            std::any_of(std::begin(kCopyMarkers), std::end(kCopyMarkers),
                        [&lower](std::string_view word) { return lower.find(word) != std::string::npos; });
        if (marker || lower.rfind("received: ", 0) == 0 || lower.rfind("return-path: ", 0) == 0) {
            copy = text.substr(marker ? std::min(end + 1, text.size()) : line);
            return text.substr(0, line);
        }
        line = end + 1;
    }
    return text;
}

bool IsAddressCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) ||
        std::string_view("._%+-'=!#$&*/?^`{|}~").find(c) != std::string_view::npos;
}

// "  To: ann@x.org" in a notice describes the message sent, not a failure.
bool OnHeaderLine(std::string_view notice, std::size_t at)
{
    const std::size_t begin =
        notice.rfind('\n', at) == std::string_view::npos ? 0 : notice.rfind('\n', at) + 1;
    const std::string line = LowerAscii(Trimmed(notice.substr(begin, at - begin)));
    for (const std::string_view name : {"to:", "from:", "cc:", "reply-to:", "sender:", "subject:"})
        if (line.rfind(name, 0) == 0)
            return true;
    return false;
}

struct Mention {
    std::string address;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Every address the notice names but those of the sender and the daemon.
std::vector<Mention> MentionsIn(std::string_view notice, const std::vector<std::string>& excluded)
{
    std::vector<Mention> mentions;
    for (std::size_t at = notice.find('@');
         at != std::string_view::npos && mentions.size() < 4 * kMostAddresses;
         at = notice.find('@', at + 1)) {
        std::size_t begin = at, end = at + 1;
        while (begin > 0 && IsAddressCharacter(notice[begin - 1]))
            --begin;
        while (end < notice.size() &&
               (std::isalnum(static_cast<unsigned char>(notice[end])) || notice[end] == '.' ||
                notice[end] == '-'))
            ++end;
        while (end > at + 1 && notice[end - 1] == '.')
            --end;
        const std::string address = AddressOf(notice.substr(begin, end - begin));
        if (address.empty() || IsDaemon(address.substr(0, address.find('@'))) ||
            OnHeaderLine(notice, begin) ||
            std::find(excluded.begin(), excluded.end(), address) != excluded.end())
            continue;
        mentions.push_back({address, begin, end});
    }
    return mentions;
}

// The words around the mentions of address: from the last mention of
// another address before each to the next one after it.
std::string ContextOf(std::string_view notice, const std::vector<Mention>& mentions,
                      const std::string& address)
{
    std::string context;
    for (std::size_t i = 0; i < mentions.size(); ++i) {
        if (mentions[i].address != address)
            continue;
        std::size_t from = 0, to = notice.size();
        for (std::size_t j = i; j-- > 0;)
            if (mentions[j].address != address) {
                from = mentions[j].end;
                break;
            }
        for (std::size_t j = i + 1; j < mentions.size(); ++j)
            if (mentions[j].address != address) {
                to = mentions[j].begin;
                break;
            }
        if (from < to)
            context.append(notice.substr(from, to - from)).append("\n");
    }
    return context;
}

bool IsStatusAt(std::string_view text, std::size_t i)
{
    const auto digit = [&text](std::size_t at) {
        return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]));
    };
    if (i > 0 && (std::isalnum(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '.'))
        return false;
    if ((text[i] != '4' && text[i] != '5' && text[i] != '2') || i + 4 >= text.size() || text[i + 1] != '.' ||
        !digit(i + 2))
        return false;
    std::size_t j = i + 2;
    while (digit(j))
        ++j;
    if (j - i > 5 || j >= text.size() || text[j] != '.' || !digit(j + 1))
        return false;
    std::size_t k = j + 1;
    while (digit(k))
        ++k;
    return k - j <= 4 && (k == text.size() || !std::isalnum(static_cast<unsigned char>(text[k])));
}

// The first enhanced status the words give ("5.1.1"), else the first SMTP
// reply code as its class ("550" as "5.0.0").
std::string StatusIn(std::string_view words)
{
    for (std::size_t i = 0; i < words.size(); ++i)
        if (IsStatusAt(words, i))
            return std::string(words.substr(i, words.find_first_not_of("0123456789.", i) - i));
    for (std::size_t i = 0; i + 3 <= words.size(); ++i) {
        const bool code = (words[i] == '4' || words[i] == '5') &&
            std::isdigit(static_cast<unsigned char>(words[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(words[i + 2])) &&
            (i == 0 || !std::isalnum(static_cast<unsigned char>(words[i - 1]))) &&
            (i + 3 == words.size() || words[i + 3] == ' ' || words[i + 3] == '-');
        if (code)
            return std::string(1, words[i]) + ".0.0";
    }
    return {};
}

// The line of the words that says most: the one with the status, else the
// first that is not empty.
std::string EvidenceIn(std::string_view words, const std::string& status)
{
    std::size_t at = status.empty() ? std::string_view::npos : words.find(status.substr(0, 5));
    if (at == std::string_view::npos)
        at = words.find_first_not_of(" \t\r\n");
    if (at == std::string_view::npos)
        return status;
    const std::size_t begin = words.rfind('\n', at) == std::string_view::npos ? 0 : words.rfind('\n', at) + 1;
    return OneLine(words.substr(begin, words.find('\n', at) - begin));
}

FreeTextFailure FailureOf(const std::string& address, const std::string& words)
{
    FreeTextFailure failure;
    failure.address = address;
    const std::string status = StatusIn(words);
    failure.evidence = EvidenceIn(words, status);
    if (!status.empty() && status[0] == '2')
        return failure;
    if (!status.empty() && status[0] == '4')
        return failure;
    // A status alone lists nobody: the words must name a dead address too.
    const Refusal refusal = ClassifyRefusal(status.empty() ? "5.0.0" : status, words);
    if (refusal == Refusal::Policy) {
        failure.kind = ReplyKind::Refused;
        failure.hint = PolicyHint(status, words);
    } else if (refusal == Refusal::DeadAddress && NamesADeadAddress(words)) {
        failure.kind = ReplyKind::HardBounce;
    }
    return failure;
}

// The copy of the message after the notice, as fields; or a returned part.
ReturnedMessage ReturnedIn(const MimeEntity& top, std::string_view copy)
{
    std::vector<MimeEntity> pending{top};
    for (std::size_t seen = 0; !pending.empty() && seen < kMostParts; ++seen) {
        const MimeEntity entity = pending.back();
        pending.pop_back();
        const ContentType type = ReadContentType(entity.fields);
        if (type.type == "message/rfc822" || type.type == "text/rfc822-headers")
            return ReadReturned(entity);
        if (type.type.compare(0, 10, "multipart/") == 0)
            for (const std::string_view part : SplitMultipart(entity.body, type.Parameter("boundary")))
                pending.push_back(ReadEntity(part));
    }
    const std::size_t start = copy.find_first_not_of(" \t\r\n");
    std::string_view fields = copy.substr(start == std::string_view::npos ? copy.size() : start);
    return ReadReturnedFields(ReadFields(fields));
}

}  // namespace

std::optional<FreeTextBounce> ReadFreeTextBounce(std::string_view message, const std::string& senderAddress)
{
    const MimeEntity top = ReadEntity(message);
    if (!IsBounce(top.fields))
        return std::nullopt;
    std::vector<std::string> excluded = {LowerAscii(senderAddress)};
    for (const char* name : {"from", "to", "reply-to"})
        if (const std::string* field = FindField(top.fields, name))
            for (const std::string& address : AddressesIn(*field))
                excluded.push_back(address);
    const std::string text = PlainText(top);
    std::string_view copy;
    const std::string_view notice = NoticeOf(text, copy);
    FreeTextBounce bounce;
    bounce.returned = ReturnedIn(top, copy);
    std::vector<Mention> mentions = MentionsIn(notice, excluded);
    // Exim names them in a field of its own as well.
    if (const std::string* failed = FindField(top.fields, "x-failed-recipients"))
        for (const std::string& address : AddressesIn(*failed))
            if (!AddressOf(address).empty() &&
                std::none_of(mentions.begin(), mentions.end(),
                             [&address](const Mention& mention) { return mention.address == address; }))
                mentions.push_back({AddressOf(address), notice.size(), notice.size()});
    for (const Mention& mention : mentions) {
        if (bounce.failures.size() >= kMostAddresses)
            break;
        if (std::any_of(
                bounce.failures.begin(), bounce.failures.end(),
                [&mention](const FreeTextFailure& failure) { return failure.address == mention.address; }))
            continue;
        bounce.failures.push_back(FailureOf(mention.address, ContextOf(notice, mentions, mention.address)));
    }
    return bounce;
}
