#include "core/mail/MailMessage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

namespace {

constexpr std::size_t kMaxLine = 76;
constexpr const char* kHex = "0123456789ABCDEF";

void AppendHex(std::string& out, unsigned char byte)
{
    out += '=';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

std::string Base64(std::string_view bytes)
{
    static constexpr const char* kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            value |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(value >> 18) & 63];
        out += kAlphabet[(value >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(value >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[value & 63] : '=';
    }
    return out;
}

// A name or subject is one line: a line break or other control
// character in a form value becomes a blank (a CR LF pair one blank).
std::string OneLine(const std::string& text)
{
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        line += byte < ' ' || byte == 0x7f ? ' ' : text[i];
    }
    return line;
}

bool IsPlainHeaderText(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < ' ' || byte >= 0x7f)
            return false;
    }
    // Text that looks like an encoded word would be decoded by the reader.
    return text.find("=?") == std::string_view::npos;
}

// An encoded word must hold whole characters: a chunk never ends inside
// a UTF-8 sequence unless the text is not UTF-8 there anyway.
std::size_t ChunkEnd(std::string_view text, std::size_t begin, std::size_t maxBytes)
{
    std::size_t end = begin + maxBytes;
    if (end >= text.size())
        return text.size();
    std::size_t back = end;
    while (back > begin + maxBytes - 3 && (static_cast<unsigned char>(text[back]) & 0xC0) == 0x80)
        --back;
    const bool inside = (static_cast<unsigned char>(text[back]) & 0xC0) == 0x80;
    return inside || back == begin ? end : back;
}

// A display name as a quoted string, or encoded when it is not plain text.
std::string DisplayName(const std::string& name, std::size_t used)
{
    if (!IsPlainHeaderText(name))
        return EncodeHeaderText(name, used);
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    if (used + quoted.size() > kMaxLine)
        return EncodeHeaderText(name, used);
    return quoted;
}

std::string MailboxText(const Mailbox& mailbox, std::size_t used)
{
    if (mailbox.name.empty())
        return mailbox.address;
    const std::string name = DisplayName(OneLine(mailbox.name), used);
    const std::size_t lastLine = name.rfind('\n');
    const std::size_t lineUsed = lastLine == std::string::npos ? used + name.size() : name.size() - lastLine;
    // The address goes on a line of its own when it would make this one long.
    return name + (lineUsed + mailbox.address.size() + 3 > kMaxLine ? "\r\n <" : " <") + mailbox.address +
        ">";
}

std::string DomainOf(const std::string& address)
{
    const std::size_t at = address.rfind('@');
    return at == std::string::npos ? "localhost" : address.substr(at + 1);
}

}  // namespace

std::string ReleaseSubject(const FormValues& form) { return "Press release from " + form.companyName; }

Mailbox ReleaseSender(const FormValues& form, const std::string& configuredSender)
{
    if (!configuredSender.empty())
        return SplitMailbox(configuredSender);
    return {form.contactName, form.contactEmail};
}

std::string UnsubscribeMailto(const std::string& senderAddress)
{
    std::string escaped;
    for (const char c : senderAddress) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::string_view("@.-_~!$'*+").find(c) != std::string_view::npos) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 15];
        }
    }
    return "mailto:" + escaped + "?subject=unsubscribe";
}

std::string EncodeHeaderText(const std::string& text, std::size_t firstLineUsed)
{
    // "=?UTF-8?B?" and "?=" take 12 characters; 45 bytes make 60 base64
    // characters, so a word on a line of its own fills 73 of 76.
    std::string out;
    std::size_t used = firstLineUsed;
    std::size_t begin = 0;
    do {
        if (used + 16 > kMaxLine) {
            out += "\r\n ";
            used = 1;
        }
        const std::size_t room = std::min<std::size_t>(45, (kMaxLine - used - 12) / 4 * 3);
        const std::size_t end = ChunkEnd(text, begin, room);
        const std::string word =
            "=?UTF-8?B?" + Base64(std::string_view(text).substr(begin, end - begin)) + "?=";
        out += word;
        used += word.size();
        begin = end;
        if (begin < text.size()) {
            out += "\r\n ";
            used = 1;
        }
    } while (begin < text.size());
    return out;
}

std::string EncodeQuotedPrintable(const std::string& text)
{
    std::string out;
    std::size_t lineLength = 0;
    auto append = [&](std::string piece) {
        // Room for a soft break's "=" stays on every line.
        if (lineLength + piece.size() > kMaxLine - 1) {
            out += "=\r\n";
            lineLength = 0;
            if (piece == ".")
                piece = "=2E";
        }
        out += piece;
        lineLength += piece.size();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\r\n";
            lineLength = 0;
            continue;
        }
        const bool lineEnds = i + 1 == text.size() || text[i + 1] == '\n';
        std::string piece;
        // A leading dot would meet SMTP's end of data; a leading "From "
        // is mangled by mailbox files.
        const bool atLineStart = lineLength == 0;
        if ((c == ' ' || c == '\t') && lineEnds)
            AppendHex(piece, byte);
        else if (c == ' ' || c == '\t' ||
                 (byte >= 33 && byte <= 126 && c != '=' &&
                  !(atLineStart && (c == '.' || text.compare(i, 5, "From ") == 0))))
            piece = std::string(1, c);
        else
            AppendHex(piece, byte);
        append(piece);
    }
    return out;
}

std::string MailDate(std::time_t time)
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[parts.tm_wday],
                  parts.tm_mday, kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min,
                  parts.tm_sec);
    return text;
}

std::string WriteMailMessage(const MailMessage& message)
{
    std::string out;
    out += "From: " + MailboxText(message.from, 6) + "\r\n";
    out += "To: " + MailboxText(message.to, 4) + "\r\n";
    const std::string subject = OneLine(message.subject);
    out += "Subject: " +
        (IsPlainHeaderText(subject) && subject.size() + 9 <= kMaxLine ? subject
                                                                      : EncodeHeaderText(subject, 9)) +
        "\r\n";
    out += "Date: " + MailDate(message.date) + "\r\n";
    out += "Message-ID: <" + message.messageId + "@" + DomainOf(message.from.address) + ">\r\n";
    for (std::size_t i = 0; i < message.unsubscribe.size(); ++i)
        out += (i == 0 ? "List-Unsubscribe: <" : ",\r\n <") + OneLine(message.unsubscribe[i]) + ">" +
            (i + 1 == message.unsubscribe.size() ? "\r\n" : "");
    if (message.oneClick && !message.unsubscribe.empty())
        out += "List-Unsubscribe-Post: List-Unsubscribe=One-Click\r\n";
    if (!message.releaseId.empty())
        out += "X-Vantrel-Release: " + OneLine(message.releaseId) + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: quoted-printable\r\n";
    out += "\r\n";
    out += EncodeQuotedPrintable(message.body);
    return out;
}
