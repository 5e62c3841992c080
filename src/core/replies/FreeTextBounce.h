#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/replies/ReplyReport.h"
#include "core/replies/ReplyText.h"

// A bounce written in words rather than in report fields, as qmail, Exim,
// older Exchange and Domino servers, mobile carriers and many more write
// them. Read conservatively: a receiver is a hard bounce only when the
// words beside its address say that the address or its domain is dead;
// anything else it says is at most a soft bounce or a refusal by policy.
struct FreeTextFailure {
    std::string address;
    ReplyKind kind = ReplyKind::SoftBounce;
    std::string evidence;
    std::string hint;
};

struct FreeTextBounce {
    std::vector<FreeTextFailure> failures;  // each address named, in the order first named
    ReturnedMessage returned;  // the copy of the message it returns, when there is one
};

// Nothing when the message is no bounce: not from a mailer daemon or
// postmaster, no null sender, no X-Failed-Recipients. The addresses of
// the sender (senderAddress) and of the daemon are never failures.
std::optional<FreeTextBounce> ReadFreeTextBounce(std::string_view message, const std::string& senderAddress);
