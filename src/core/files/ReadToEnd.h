#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "core/Result.h"
#include "core/files/SafeFileWriter.h"

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

// Reads through readSome as ReadToEnd does, with the same failures, but
// hands the bytes to take piece by piece instead of holding them.
template <typename ReadSome>
Result<> ReadToEndInPieces(std::size_t maxBytes, const TakePiece& take, ReadSome readSome)
{
    std::string piece(kReadPieceBytes, '\0');
    std::size_t total = 0;
    for (;;) {
        const long long n = readSome(piece.data(), piece.size());
        if (n < 0)
            return Failure::CannotOpen;
        if (n == 0)
            return Done();
        total += static_cast<std::size_t>(n);
        if (total > maxBytes)
            return Failure::TooLarge;
        take(std::string_view(piece.data(), static_cast<std::size_t>(n)));
    }
}

// Writes all of bytes through writeSome(bytes, most), which gives the count
// it wrote, or 0 or less when the system refuses; false then.
template <typename WriteSome> bool WriteToEnd(std::string_view bytes, WriteSome writeSome)
{
    // Windows writes at most a DWORD's worth at once.
    constexpr std::size_t kLargestWrite = std::size_t{1} << 30;
    while (!bytes.empty()) {
        const long long n = writeSome(bytes.data(), std::min(bytes.size(), kLargestWrite));
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}
