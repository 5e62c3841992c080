// Any bytes as an mbox file, handed over in pieces of a size the input
// chooses: the same messages and count of oversized ones as in one piece,
// each message whole bytes of the file in its order, none empty or past
// the bound.
#include <ctime>
#include <vector>

#include "FuzzInput.h"
#include "core/replies/MboxSplitter.h"

namespace {

struct Split {
    std::vector<std::string> messages;
    std::size_t tooLarge = 0;
    bool notMbox = false;

    bool operator==(const Split& other) const
    {
        return messages == other.messages && tooLarge == other.tooLarge && notMbox == other.notMbox;
    }
};

Split SplitInPieces(std::string_view text, std::size_t pieceBytes, std::time_t since, std::size_t largest)
{
    Split split;
    MboxSplitter splitter(since, largest, [&](std::string_view message, std::size_t index) {
        Require(index == split.messages.size() && !message.empty() && message.size() <= largest);
        split.messages.emplace_back(message);
        return true;
    });
    for (std::size_t at = 0; at < text.size() && !splitter.Stopped(); at += pieceBytes)
        splitter.Take(text.substr(at, pieceBytes));
    splitter.Finish();
    split.tooLarge = splitter.TooLarge();
    split.notMbox = splitter.NotMbox();
    return split;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::size_t pieceBytes = 1 + static_cast<std::size_t>(input.Int() & 0x7f);
    const std::size_t largest = 1 + static_cast<std::size_t>(input.Int() & 0x7f) * 64;
    const std::time_t since = input.Bool() ? 1796083200 : 0;
    const std::string text = input.Rest();
    const Split whole = SplitInPieces(text, text.size() + 1, since, largest);
    Require(SplitInPieces(text, pieceBytes, since, largest) == whole);
    std::size_t at = 0;
    for (const std::string& message : whole.messages) {
        at = text.find(message, at);
        Require(at != std::string::npos);
        at += message.size();
    }
    return 0;
}
