#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/replies/MimeMessage.h"
#include "core/replies/ReplyReport.h"

// What the reading of replies shares between reports in fields, bounces
// in words and the other replies: addresses as strangers write them, the
// message a report returns, and lines fit to be shown.

// One line: control characters as blanks, runs of blanks as one, cut to
// 300 bytes without splitting a UTF-8 sequence.
std::string OneLine(std::string_view text);

// "<Ann@X.org>", "Ann@X.org", "\"ann\"@x.org" as "ann@x.org"; empty when the
// text is not one address.
std::string AddressOf(std::string_view text);

// The message a report returns or a reply answers.
struct ReturnedMessage {
    std::string messageId;
    OurMessage ours = OurMessage::Unknown;
    std::vector<std::string> to;  // lower case
    std::string subject;  // decoded
    std::time_t date = 0;
};

// From the fields of a returned message (or its headers alone): ours by
// its Message-ID or our header.
ReturnedMessage ReadReturnedFields(const HeaderFields& fields);
ReturnedMessage ReadReturned(const std::optional<MimeEntity>& returned);
// The message a reply answers, by its In-Reply-To and References: one of
// ours when any of them is, else unknown (a reply may answer anything).
ReturnedMessage RepliedTo(const HeaderFields& fields);

// The first text/plain part of a message, decoded, as UTF-8; empty when it
// has none.
std::string PlainText(const MimeEntity& message);

// Who wrote a message that is no report, its subject, date and the first
// line of its text that is not a quotation.
OtherReply OtherReplyOf(const MimeEntity& message);
