#include "core/replies/ReplyText.h"

#include "core/documents/TextEncoding.h"
#include "core/receivers/MailAddresses.h"
#include "core/replies/HeaderValues.h"

namespace {

constexpr std::size_t kLongestLine = 300;
constexpr std::size_t kMostParts = 200;

bool IsOurMessageId(const std::string& id)
{
    const std::string lower = LowerAscii(id);
    const std::size_t at = lower.rfind('@');
    const std::string_view suffix = ".vantrel";
    return at != std::string::npos && at > suffix.size() && at + 1 < lower.size() &&
        lower.compare(at - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsAtomText(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == '\\' || c == '@' || c == '<' || c == '>')
            return false;
    return !text.empty();
}

}  // namespace

std::string OneLine(std::string_view text)
{
    std::string line;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool blank = byte <= ' ' || byte == 0x7f;
        if (!blank)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
        if (line.size() > kLongestLine)
            break;
    }
    if (line.size() > kLongestLine) {
        std::size_t cut = kLongestLine;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xc0) == 0x80)
            --cut;
        line.resize(cut);
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

std::string AddressOf(std::string_view text)
{
    text = Trimmed(text);
    if (text.size() >= 2 && text.front() == '<' && text.back() == '>')
        text = Trimmed(text.substr(1, text.size() - 2));
    const std::size_t at = text.rfind('@');
    const bool quoted = at != std::string_view::npos && at >= 2 && text.front() == '"' &&
        text[at - 1] == '"' && IsAtomText(text.substr(1, at - 2));
    // A quoted local part of plain characters is the same address unquoted;
    // one that needs its quotes is kept with them.
    std::string address = LowerAscii(
        quoted ? std::string(text.substr(1, at - 2)) + std::string(text.substr(at)) : std::string(text));
    if (AddressProblem(address).empty())
        return address;
    const std::string domain = LowerAscii(text.substr(at == std::string_view::npos ? 0 : at + 1));
    return quoted && AddressProblem("x@" + domain).empty() ? LowerAscii(text) : std::string();
}

ReturnedMessage ReadReturnedFields(const HeaderFields& fields)
{
    ReturnedMessage returned;
    if (fields.empty())
        return returned;
    const std::string* field = FindField(fields, "message-id");
    const std::vector<std::string> ids = field ? MessageIdsIn(*field) : std::vector<std::string>();
    if (!ids.empty()) {
        returned.messageId = ids.front();
        returned.ours = IsOurMessageId(ids.front()) ? OurMessage::Yes : OurMessage::No;
    }
    if (const std::string* release = FindField(fields, LowerAscii(kReleaseHeader));
        release && !Trimmed(*release).empty())
        returned.ours = OurMessage::Yes;
    if (const std::string* to = FindField(fields, "to"))
        for (const std::string& address : AddressesIn(*to))
            if (!AddressOf(address).empty())
                returned.to.push_back(AddressOf(address));
    if (const std::string* subject = FindField(fields, "subject"))
        returned.subject = OneLine(DecodeEncodedWords(*subject));
    if (const std::string* date = FindField(fields, "date"))
        returned.date = ReadMailDate(*date);
    if (returned.ours == OurMessage::Unknown && (!returned.to.empty() || !returned.subject.empty()))
        returned.ours = OurMessage::No;
    return returned;
}

ReturnedMessage ReadReturned(const std::optional<MimeEntity>& returned)
{
    if (!returned)
        return {};
    std::string storage;
    std::string_view headers = DecodedBody(*returned, storage);
    return ReadReturnedFields(ReadFields(headers));
}

ReturnedMessage RepliedTo(const HeaderFields& fields)
{
    ReturnedMessage answered;
    for (const char* name : {"in-reply-to", "references"}) {
        const std::string* value = FindField(fields, name);
        for (const std::string& id : value ? MessageIdsIn(*value) : std::vector<std::string>()) {
            if (answered.messageId.empty())
                answered.messageId = id;
            if (IsOurMessageId(id)) {
                answered.messageId = id;
                answered.ours = OurMessage::Yes;
                return answered;
            }
        }
    }
    return answered;
}

std::string PlainText(const MimeEntity& message)
{
    std::vector<MimeEntity> pending{message};
    for (std::size_t seen = 0; !pending.empty() && seen < kMostParts; ++seen) {
        const MimeEntity entity = pending.back();
        pending.pop_back();
        const ContentType type = ReadContentType(entity.fields);
        if (type.type.compare(0, 10, "multipart/") == 0) {
            const std::vector<std::string_view> parts =
                SplitMultipart(entity.body, type.Parameter("boundary"));
            for (auto part = parts.rbegin(); part != parts.rend() && pending.size() < kMostParts; ++part)
                pending.push_back(ReadEntity(*part));
        } else if (type.type == "text/plain") {
            std::string storage;
            std::string text(DecodedBody(entity, storage));
            return IsValidUtf8(text) ? text : Utf8FromWindows1252(text);
        }
    }
    return {};
}

OtherReply OtherReplyOf(const MimeEntity& message)
{
    OtherReply reply;
    if (const std::string* from = FindField(message.fields, "from"))
        reply.from = OneLine(DecodeEncodedWords(*from));
    if (const std::string* subject = FindField(message.fields, "subject"))
        reply.subject = OneLine(DecodeEncodedWords(*subject));
    if (const std::string* date = FindField(message.fields, "date"))
        reply.when = ReadMailDate(*date);
    const std::string text = PlainText(message);
    std::string_view rest = text;
    while (!rest.empty() && reply.firstLine.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = Trimmed(rest.substr(0, end));
        if (!line.empty() && line.front() != '>')
            reply.firstLine = OneLine(line);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return reply;
}
