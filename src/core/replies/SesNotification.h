#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/replies/ReplyReport.h"
#include "core/replies/ReplyText.h"

// What Amazon SES says of a bounce or a complaint when it notifies by mail
// (through SNS): a JSON object in the text instead of a report.
struct SesFailure {
    std::string address;
    ReplyKind kind = ReplyKind::SoftBounce;
    std::string evidence;
    std::string hint;
};

struct SesNotification {
    std::vector<SesFailure> failures;
    ReturnedMessage returned;  // from the notification's "mail": to, subject, our header
};

// Nothing when text holds no such notification.
std::optional<SesNotification> ReadSesNotification(std::string_view text);
