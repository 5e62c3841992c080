#pragma once

#include <cstdint>
#include <string>
#include <string_view>

bool IsValidUtf8(const std::string& text);

// Text from a file: kept as it is when it is valid UTF-8, otherwise read
// as Windows-1252 (the code page of documents written on Windows) and
// converted, so that no character is lost.
std::string Utf8FromUtf8OrWindows1252(std::string text);
std::string Utf8FromWindows1252(std::string_view text);

// Reads text handed over piece by piece, never held whole, as
// Utf8FromUtf8OrWindows1252 would read all of it: whether it is valid
// UTF-8 (a sequence may be cut between pieces), and how long it would be
// once converted from Windows-1252.
class Utf8Scan {
public:
    void Take(std::string_view piece);
    bool Valid() const { return !invalid_ && needed_ == 0; }
    std::size_t Bytes() const { return bytes_; }
    std::size_t Windows1252Length() const { return bytes_ + extra_; }

private:
    void StartSequence(std::uint8_t lead);

    std::size_t bytes_ = 0;
    std::size_t extra_ = 0;  // what the bytes above 0x7F add once converted
    int needed_ = 0;  // continuation bytes still to come
    std::uint8_t low_ = 0x80;  // the bounds of the next continuation byte
    std::uint8_t high_ = 0xBF;
    bool invalid_ = false;
};

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
