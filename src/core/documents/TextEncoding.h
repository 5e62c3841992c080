#pragma once

#include <cstdint>
#include <string>
#include <string_view>

bool IsValidUtf8(const std::string& text);

// Text from a file: kept as it is when it is valid UTF-8, otherwise read
// as Windows-1252 (the code page of documents written on Windows) and
// converted, so that no character is lost.
std::string Utf8FromUtf8OrWindows1252(std::string text);

// Line ends of files: CR LF <-> line feed.
std::string CrLfToLf(std::string_view text);
std::string LfToCrLf(std::string_view text);
void AppendLfAsCrLf(std::string& out, std::string_view text);

// How often byte occurs in text, and how many CR LF pairs lie wholly in
// it, quick enough for megabytes.
std::size_t CountByte(std::string_view text, char byte);
std::size_t CountCrLf(std::string_view text);

// Whether one of eight bytes (read as one number) is byte: lets a loop over
// megabytes pass eight plain bytes at a time.
inline bool HasByte(std::uint64_t eight, char byte)
{
    const std::uint64_t x = eight ^ (0x0101010101010101ULL * static_cast<unsigned char>(byte));
    return ((x - 0x0101010101010101ULL) & ~x & 0x8080808080808080ULL) != 0;  // a zero byte in x
}
