#include "core/receivers/ReceiverList.h"

std::string ReceiverSeparator(int receiverDelimiter)
{
    switch (receiverDelimiter) {
    case kDelimiterComma: return ", ";
    case kDelimiterSpace: return " ";
    case kDelimiterNewline: return "\n";
    default: return "; ";
    }
}

// Every address found is kept, also beyond the 1024 that the first
// versions held: a receiver dropped without a word would never get the
// release.
JoinedReceivers CollectReceivers(std::string_view receivers, int receiverDelimiter, const LeaveOut& leaveOut)
{
    const std::string separator = ReceiverSeparator(receiverDelimiter);
    JoinedReceivers list;
    // A list one address a line joins to about its own size.
    list.joined.reserve(receivers.size() + receivers.size() / 8);
    ForEachReceiver(
        receivers,
        [&](std::string_view address) {
            if (leaveOut)
                if (std::optional<std::string> why = leaveOut(address)) {
                    list.listed.push_back({std::string(address), std::move(*why)});
                    return;
                }
            if (list.receivers++ > 0)
                list.joined += separator;
            list.joined += address;
        },
        [&](std::string_view run, const char* reason) {
            list.skipped.push_back({std::string(run), reason});
        });
    return list;
}

std::string ListedLeftOutText(const JoinedReceivers& joined)
{
    const std::size_t listed = joined.listed.size();
    if (listed == 0)
        return {};
    return std::to_string(listed) +
        (listed == 1 ? " address on the do-not-send list was left out."
                     : " addresses on the do-not-send list were left out.");
}

std::string LeftOutText(const JoinedReceivers& joined)
{
    const std::string listed = ListedLeftOutText(joined);
    if (joined.skipped.empty())
        return listed;
    return NotAddressesText(joined.skipped.size(), joined.skipped) + "." +
        (listed.empty() ? "" : " " + listed);
}
