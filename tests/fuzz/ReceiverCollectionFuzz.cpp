// Any receivers text and delimiter: the collection must equal the plain
// reading of the address rule, and give up only where the joined list
// would pass its limit.
#include "FuzzInput.h"
#include "core/release/ReceiverList.h"

namespace {

// The address rule as it reads, without any care for speed.
std::string CollectSlowly(const std::string& receivers, int delimiter)
{
    const std::string separators(" ,;\t\n");
    std::string remaining = receivers;
    std::string joined;
    bool first = true;
    for (std::size_t at = remaining.find('@'); at != std::string::npos; at = remaining.find('@')) {
        const std::size_t before = remaining.find_last_of(separators, at);
        const std::size_t begin = before == std::string::npos ? 0 : before + 1;
        const std::size_t end = std::min(remaining.find_first_of(separators, at), remaining.size());
        joined += (first ? "" : ReceiverSeparator(delimiter)) + remaining.substr(begin, end - begin);
        first = false;
        remaining.erase(0, at + 1);
    }
    return joined;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const int delimiter = input.Int();
    const std::string receivers = input.Rest();
    const Result<std::string> joined = CollectReceivers(receivers, delimiter);
    // Below 4 KiB no list can reach the limit, and the slow reading stays quick.
    if (receivers.size() < 4096)
        Require(joined && *joined == CollectSlowly(receivers, delimiter));
    if (joined)
        Require(joined->size() <= kMaxCollectedReceiversBytes + 2 * receivers.size());
    return 0;
}
