// Any receivers text and delimiter: every path reads the same people.
// The joined list reads back as the same addresses whatever the delimiter,
// each address taken is one a mail server takes and stands in the text,
// the count and the selection agree, and taking addresses out of the text
// leaves every other entry as it was read.
#include "FuzzInput.h"
#include "core/receivers/ReceiverList.h"

namespace {

std::vector<std::string> AddressesOf(std::string_view text)
{
    std::vector<std::string> addresses;
    ForEachReceiver(
        text, [&](std::string_view address) { addresses.emplace_back(address); },
        [](std::string_view, const char*) {});
    return addresses;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const int delimiter = input.Int();
    const std::string receivers = input.Rest();
    const std::vector<std::string> addresses = AddressesOf(receivers);
    for (const std::string& address : addresses)
        Require(AddressProblem(address).empty() && receivers.find(address) != std::string::npos);

    const JoinedReceivers joined = CollectReceivers(receivers, delimiter);
    Require(joined.joined.size() <= 2 * receivers.size());
    Require(joined.receivers == addresses.size());
    Require(AddressesOf(joined.joined) == addresses);

    const ReceiverSelection selection = SelectReceivers(receivers);
    const ReceiverCounts counts = CountReceivers(receivers);
    Require(counts.receivers == selection.receivers.size() && counts.skipped == selection.skipped.size() &&
            counts.twice == selection.twice);
    Require(selection.receivers.size() + selection.twice == addresses.size());
    Require(joined.skipped.size() == selection.skipped.size());

    if (selection.receivers.empty())
        return 0;
    // The first address found goes, in every spelling; the rest stay.
    const std::string gone = AddressKey(selection.receivers.front().address);
    const ReceiverSelection after = SelectReceivers(RemoveReceivers(receivers, {gone}));
    std::vector<std::string> expected;
    for (const Mailbox& receiver : selection.receivers)
        if (AddressKey(receiver.address) != gone)
            expected.push_back(receiver.address);
    std::vector<std::string> left;
    for (const Mailbox& receiver : after.receivers)
        left.push_back(receiver.address);
    Require(left == expected);
    Require(after.skipped.size() == selection.skipped.size());
    return 0;
}
