#pragma once

#include <string_view>

// Whether a refusal says that the address itself is dead, so that nothing
// more should be sent to it: the status 5.1.1, 5.1.2, 5.1.3, 5.1.6 or
// 5.1.10, or a permanent refusal without a status of that kind whose words
// name an unknown user. Refusals for policy, spam, authentication or
// reputation (5.7.x) say nothing of the address, nor does a full mailbox
// or anything temporary. status: the enhanced status as a report gives it,
// or empty, when it is read from the front of words ("550 5.1.1 <a@x.org>:
// user unknown", as a mail server refuses).
bool IsDeadAddress(std::string_view status, std::string_view words);
