#include "core/release/ReceiverList.h"

#include <algorithm>
#include <string_view>

namespace {

// The first separator at or after from, or the end of the text.
std::size_t RunEnd(std::string_view text, std::size_t from)
{
    while (from < text.size() && !IsAddressSeparator(text[from]))
        ++from;
    return from;
}

// Just after the last separator before at, but not before floor.
std::size_t RunBegin(std::string_view text, std::size_t floor, std::size_t at)
{
    while (at > floor && !IsAddressSeparator(text[at - 1]))
        --at;
    return at;
}

}  // namespace

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
Result<std::string> CollectReceivers(const std::string& receivers, int receiverDelimiter)
{
    const std::string separator = ReceiverSeparator(receiverDelimiter);
    const std::size_t limit = kMaxCollectedReceiversBytes + 2 * receivers.size();
    const std::string_view text(receivers);
    std::string joined;
    // A list one address a line joins to about its own size; room reserved
    // but never written costs no memory.
    joined.reserve(std::min(limit, receivers.size() + receivers.size() / 8));
    // Only an "@" is consumed: the next address may begin right after it,
    // never before it. Both searches stay inside the address they find, so
    // the work grows with the joined list, not with its square.
    std::size_t remaining = 0;
    std::size_t runEnd = 0;  // the end of the run that holds the current "@"
    for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
        const std::size_t begin = RunBegin(text, remaining, at);
        if (runEnd <= at)
            runEnd = RunEnd(text, at);
        const bool first = remaining == 0;
        if (joined.size() + (first ? 0 : separator.size()) + (runEnd - begin) > limit)
            return Failure::TooLarge;
        if (!first)
            joined += separator;
        joined.append(text.substr(begin, runEnd - begin));
        remaining = at + 1;
    }
    return joined;
}
