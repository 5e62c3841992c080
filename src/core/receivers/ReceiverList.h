#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/receivers/MailAddresses.h"

// The receiver delimiter setting, as documents store it and the Settings
// menu's four items choose it. It only says how addresses are joined;
// reading the field never depends on it. Other stored numbers are kept
// but join with "; ", as the first does.
enum ReceiverDelimiter : int {
    kDelimiterSemicolon = 0,
    kDelimiterComma = 1,
    kDelimiterSpace = 2,
    kDelimiterNewline = 3,
};

inline bool IsMenuDelimiter(int receiverDelimiter)
{
    return receiverDelimiter >= kDelimiterSemicolon && receiverDelimiter <= kDelimiterNewline;
}

// The text written between two receiver addresses for a delimiter setting:
// "; ", ", ", " ", a line feed, anything else "; ".
std::string ReceiverSeparator(int receiverDelimiter);

// Why an address must be left out of a list handed out (the do-not-send
// list's words), or nullopt when it may go.
using LeaveOut = std::function<std::optional<std::string>(std::string_view address)>;

// The receivers as Email's Bcc, Export and the command line hand them out.
struct JoinedReceivers {
    std::string joined;
    std::size_t receivers = 0;  // addresses in joined
    std::vector<SkippedReceiver> skipped;  // runs that are not one address
    std::vector<SkippedReceiver> listed;  // addresses leaveOut kept back, with its words
};

// Every entry of the receivers field that is one address, as the bare
// address, in the order written and joined with the separator of the
// delimiter setting, but those leaveOut names; a second spelling stays,
// as it was written. Never longer than twice the field.
JoinedReceivers CollectReceivers(std::string_view receivers, int receiverDelimiter,
                                 const LeaveOut& leaveOut = {});

// What a joined list left out, for the status line: "1 entry is not an
// address ("john doe@typo.example"). 2 addresses on the do-not-send list
// were left out.", or empty.
std::string LeftOutText(const JoinedReceivers& joined);
// Its second part alone, where the count of the field names the first.
std::string ListedLeftOutText(const JoinedReceivers& joined);
