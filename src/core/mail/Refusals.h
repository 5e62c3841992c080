#pragma once

#include <string_view>

// What a refused or returned message says of its receiver's address, the
// one rule that sending's refusals and the reports read back share. It
// goes by the enhanced status (RFC 3463) and, where the status says
// little, by the server's words, and it decides cautiously: an address is
// only dead when the refusal says so.
enum class Refusal {
    Delivered,  // 2.x.x: no failure at all
    DeadAddress,  // the address does not exist (or its domain): send it nothing more
    Policy,  // the sender was refused (SPF, DKIM, DMARC, a blocklist, spam, content): the address is fine
    Temporary,  // a full or disabled mailbox, a time-out, a generic refusal: may pass
};

// status: the enhanced status as a report gives it, or empty, when it is
// read from the front of words ("550 5.1.1 <a@x.org>: user unknown", as a
// mail server refuses). Dead: 5.1.1, 5.1.2, 5.1.3, 5.1.6, 5.1.10 (unless
// the words quote a policy status or name a blocklist, spam or a full
// mailbox), and the generic 5.0.0, 5.5.x, 5.2.0, a 5.2.1, 5.4.x or an
// address status of no standard detail, or a bare 5xx reply, whose words
// name an unknown user, mailbox or domain. Policy: X.7.x, X.1.7, X.1.8
// (the sender's own address), X.6.x and X.2.3, and words of blocklists,
// spam, SPF, DKIM, DMARC, PTR, TLS, relaying. Temporary: 4.x.x, a full or
// disabled mailbox and every other refusal.
Refusal ClassifyRefusal(std::string_view status, std::string_view words);

inline bool IsDeadAddress(std::string_view status, std::string_view words)
{
    return ClassifyRefusal(status, words) == Refusal::DeadAddress;
}

// For a refusal by policy, what the sender may look at: "the sending
// domain's SPF, DKIM or DMARC", "the sending server's reputation (a
// blocklist)", "the message's content (taken for spam)", or "the receiving
// server's policy".
const char* PolicyHint(std::string_view status, std::string_view words);

// Whether words name a dead address (an unknown user, mailbox or domain),
// whatever the status: free text is read with this.
bool NamesADeadAddress(std::string_view words);
