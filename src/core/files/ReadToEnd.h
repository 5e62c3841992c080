#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "core/Result.h"

// Reads through readSome(buffer, room), which gives the count of bytes it
// read, 0 at the end, or a negative count when the system refuses: straight
// into the text, growing it as the input turns out longer than expected (a
// file may grow while being read). At most maxBytes bytes: TooLarge once
// one more arrives, without reading on.
template <typename ReadSome>
Result<std::string> ReadToEnd(std::size_t maxBytes, std::size_t expectedBytes, ReadSome readSome)
{
    std::string bytes;
    bytes.resize(std::min(expectedBytes, maxBytes) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
        const long long n = readSome(bytes.data() + filled, bytes.size() - filled);
        if (n < 0)
            return Failure::CannotOpen;
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
        if (filled > maxBytes)
            return Failure::TooLarge;
    }
    bytes.resize(filled);
    return bytes;
}
