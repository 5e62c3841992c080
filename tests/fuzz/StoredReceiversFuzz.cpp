// Any document, or any receivers value in an otherwise sound document, cut
// into pieces anywhere: the receivers collected as the pieces pass must be
// those collected from the document read whole, with the same failure,
// also when they are checked first and then passed on.
#include <algorithm>

#include "FuzzInput.h"
#include "ReceiversInPieces.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const int mode = input.Int() & 0xFF;
    const int delimiter = input.Int();
    // Too short, exact or too long; far too long for a damaged length.
    const long long lengthShift = (mode & 16) != 0 ? input.Int() * (1LL << 40) : input.Int() % 3;
    unsigned seed = static_cast<unsigned>(input.Int() & 0xFF) * 2654435761u + 1;
    const std::string rest = input.Rest();
    const std::string bytes = (mode & 1) != 0
        ? rest
        : DocumentWithStoredReceivers((mode & 2) != 0 ? delimiter : 3,
                                      static_cast<std::size_t>(std::max<long long>(
                                          0, static_cast<long long>(StoredCharacters(rest)) + lengthShift)),
                                      rest);
    const std::optional<int> option = (mode & 4) != 0 ? std::optional<int>(delimiter) : std::optional<int>();
    const Result<std::string> whole = ReceiversReadWhole(bytes, option);

    // Cut at random places, then in every two pieces of a short document.
    std::vector<std::size_t> cuts;
    for (std::size_t at = 0; at < bytes.size();) {
        seed = seed * 1103515245u + 12345u;
        at += 1 + (seed >> 16) % ((mode & 8) != 0 ? 3 : 64);
        if (at < bytes.size())
            cuts.push_back(at);
    }
    Require(SameResult(ReceiversReadInPieces(bytes, cuts, option), whole));
    Require(SameResult(ReceiversCheckedThenPassed(bytes, cuts, option), whole));
    if (bytes.size() <= 512 && (mode & 16) == 0)
        for (std::size_t at = 1; at < bytes.size(); ++at)
            Require(SameResult(ReceiversReadInPieces(bytes, {at}, option), whole));
    return 0;
}
