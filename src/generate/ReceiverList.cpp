#include "generate/ReceiverList.h"

#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kAddressSeparators(" ,;\t\n", 5);

std::string_view AddressAround(std::string_view text, std::size_t at)
{
    const std::size_t before = text.find_last_of(kAddressSeparators, at);
    const std::size_t begin = before == std::string_view::npos ? 0 : before + 1;
    std::size_t end = text.find_first_of(kAddressSeparators, at);
    if (end == std::string_view::npos)
        end = text.size();
    return text.substr(begin, end - begin);
}

}  // namespace

std::string ReceiverSeparator(int receiverDelimiter)
{
    switch (receiverDelimiter) {
    case 1: return ", ";
    case 2: return " ";
    case 3: return "\n";
    default: return "; ";
    }
}

// Every address found is kept, also beyond the 1024 that the first
// versions held: a receiver dropped without a word would never get the
// release.
std::string CollectReceivers(const std::string& receivers, int receiverDelimiter)
{
    const std::string separator = ReceiverSeparator(receiverDelimiter);
    std::string_view remaining(receivers);
    std::string joined;
    bool first = true;
    for (std::size_t at = remaining.find('@'); at != std::string_view::npos;
         at = remaining.find('@')) {
        if (!first)
            joined += separator;
        joined += AddressAround(remaining, at);
        first = false;
        remaining.remove_prefix(at + 1);
    }
    return joined;
}
