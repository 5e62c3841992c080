#include "core/replies/SesNotification.h"

#include <nlohmann/json.hpp>

#include "core/mail/Refusals.h"
#include "core/replies/HeaderValues.h"

namespace {

using nlohmann::json;

// A notification is one object of a few kilobytes.
constexpr std::size_t kLongestNotification = 256 * 1024;

// The JSON object that text begins with (at its first "{"), with the line
// breaks that mail put into its one line taken out again (a "!" before a
// forced break, the blank after it).
std::optional<json> FirstObject(std::string_view text)
{
    const std::size_t begin = text.find("{\"notificationType\"");
    if (begin == std::string_view::npos)
        return std::nullopt;
    std::string object;
    bool quoted = false;
    int depth = 0;
    for (std::size_t i = begin; i < text.size() && object.size() < kLongestNotification; ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            if (!object.empty() && object.back() == '!' && quoted)
                object.pop_back();
            while (i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r'))
                ++i;
            if (i + 1 < text.size() && text[i + 1] == ' ')
                ++i;
            continue;
        }
        object += c;
        if (quoted) {
            if (c == '\\' && i + 1 < text.size())
                object += text[++i];
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth == 0) {
            json parsed = json::parse(object, nullptr, false);
            return parsed.is_object() ? std::optional<json>(std::move(parsed)) : std::nullopt;
        }
    }
    return std::nullopt;
}

std::string Text(const json& object, const char* name)
{
    const auto found = object.find(name);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

ReturnedMessage ReturnedOf(const json& notification)
{
    ReturnedMessage returned;
    const auto mail = notification.find("mail");
    if (mail == notification.end() || !mail->is_object())
        return returned;
    returned.ours = OurMessage::No;
    const auto headers = mail->find("headers");
    if (headers != mail->end() && headers->is_array())
        for (const json& header : *headers)
            if (header.is_object() && LowerAscii(Text(header, "name")) == LowerAscii(kReleaseHeader))
                returned.ours = OurMessage::Yes;
    const auto common = mail->find("commonHeaders");
    if (common == mail->end() || !common->is_object())
        return returned;
    const auto to = common->find("to");
    if (to != common->end() && to->is_array())
        for (const json& address : *to)
            if (address.is_string() && !AddressOf(address.get<std::string>()).empty())
                returned.to.push_back(AddressOf(address.get<std::string>()));
    returned.subject = OneLine(Text(*common, "subject"));
    returned.date = ReadMailDate(Text(*common, "date"));
    return returned;
}

SesFailure BounceOf(const json& recipient, bool permanent)
{
    SesFailure failure;
    failure.address = AddressOf(Text(recipient, "emailAddress"));
    const std::string status = Text(recipient, "status");
    const std::string words = Text(recipient, "diagnosticCode");
    failure.evidence = OneLine(status + " " + words);
    if (!permanent)
        return failure;
    switch (ClassifyRefusal(status, words)) {
    case Refusal::DeadAddress: failure.kind = ReplyKind::HardBounce; break;
    case Refusal::Policy:
        failure.kind = ReplyKind::Refused;
        failure.hint = PolicyHint(status, words);
        break;
    default: break;
    }
    return failure;
}

}  // namespace

std::optional<SesNotification> ReadSesNotification(std::string_view text)
{
    const std::optional<json> notification = FirstObject(text);
    if (!notification)
        return std::nullopt;
    const std::string type = Text(*notification, "notificationType");
    SesNotification read;
    read.returned = ReturnedOf(*notification);
    if (type == "Bounce") {
        const auto bounce = notification->find("bounce");
        if (bounce == notification->end() || !bounce->is_object())
            return std::nullopt;
        const bool permanent = Text(*bounce, "bounceType") == "Permanent";
        const auto recipients = bounce->find("bouncedRecipients");
        if (recipients != bounce->end() && recipients->is_array())
            for (const json& recipient : *recipients)
                if (recipient.is_object())
                    read.failures.push_back(BounceOf(recipient, permanent));
    } else if (type == "Complaint") {
        const auto complaint = notification->find("complaint");
        if (complaint == notification->end() || !complaint->is_object())
            return std::nullopt;
        const std::string feedback = Text(*complaint, "complaintFeedbackType");
        const auto recipients = complaint->find("complainedRecipients");
        if (recipients != complaint->end() && recipients->is_array())
            for (const json& recipient : *recipients)
                if (recipient.is_object())
                    read.failures.push_back({AddressOf(Text(recipient, "emailAddress")),
                                             feedback.empty() || feedback == "abuse" || feedback == "fraud"
                                                 ? ReplyKind::Complaint
                                                 : ReplyKind::Report,
                                             OneLine(feedback.empty() ? "abuse" : feedback), ""});
    } else {
        return std::nullopt;
    }
    std::erase_if(read.failures, [](const SesFailure& failure) { return failure.address.empty(); });
    return read;
}
