#include "core/release/MailtoRequest.h"

#include "core/receivers/ReceiverList.h"

namespace {

// Inside a filled-in value these would start the next header or its value.
constexpr std::string_view kValueReservedCharacters = ";/:@+$,";

bool IsAsciiAlphanumeric(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool StaysUnescaped(char c, std::string_view reserved)
{
    constexpr std::string_view kUnreservedMarks = "-_.!~*()'";
    return IsAsciiAlphanumeric(c) || kUnreservedMarks.find(c) != std::string_view::npos ||
        reserved.find(c) != std::string_view::npos;
}

}  // namespace

std::string EscapeUri(std::string_view text, std::string_view reserved)
{
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == ' ') {
            escaped += "%20";
        } else if (StaysUnescaped(c, reserved)) {
            escaped += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            escaped += '%';
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0x0F];
        }
    }
    return escaped;
}

std::string MailtoRequest(const std::string& contactEmail, const std::string& bcc,
                          const std::string& companyName)
{
    return "mailto:" + EscapeUri(contactEmail, kValueReservedCharacters) +
        "?bcc=" + EscapeUri(bcc, kValueReservedCharacters) + EscapeUri("&subject=Press release from ") +
        EscapeUri(companyName, kValueReservedCharacters) +
        EscapeUri("&body=Click here. Then press control-a followed by control-v.");
}

std::string EmailDraftNote(int receiverDelimiter, bool programAnswered)
{
    if (!programAnswered)
        return "No e-mail program answered. The press release is on the clipboard.";
    std::string note = "The press release is on the clipboard: click into the message and paste it (Ctrl+V).";
    if (receiverDelimiter == kDelimiterSpace || receiverDelimiter == kDelimiterNewline)
        note += " Many mail programs drop a Bcc list separated by blanks or line breaks: choose Delimiter: ; "
                "for e-mail.";
    return note;
}
