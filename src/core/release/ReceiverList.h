#pragma once

#include <string>

#include "core/Result.h"

// The receiver delimiter setting, as documents store it and the Settings
// menu's four items choose it. Other stored numbers are kept but join with
// "; ", as the first does.
enum ReceiverDelimiter : int {
    kDelimiterSemicolon = 0,
    kDelimiterComma = 1,
    kDelimiterSpace = 2,
    kDelimiterNewline = 3,
};

inline bool IsMenuDelimiter(int receiverDelimiter)
{
    return receiverDelimiter >= kDelimiterSemicolon && receiverDelimiter <= kDelimiterNewline;
}

// What stands between two addresses in the receivers text: blank, comma,
// semicolon, tab and line feed; a carriage return is not one.
constexpr bool IsAddressSeparator(char c)
{
    return c == ' ' || c == ',' || c == ';' || c == '\t' || c == '\n';
}

// The text written between two receiver addresses for a delimiter setting:
// "; ", ", ", " ", a line feed, anything else "; ".
std::string ReceiverSeparator(int receiverDelimiter);

// A joined list may grow to this many bytes plus twice the receivers text.
// A list written as people write lists never comes near it; only runs of
// many "@" without separators do, which would otherwise grow without end.
inline constexpr std::size_t kMaxCollectedReceiversBytes = 16u * 1024 * 1024;

// Finds every address (a run of characters around an "@", bounded by blank,
// comma, semicolon, tab or line feed) in the receivers text and joins them
// in order with the separator of the delimiter setting. TooLarge when the
// joined list would pass its limit: a cut list is never handed out.
Result<std::string> CollectReceivers(const std::string& receivers, int receiverDelimiter);

// What Export and Email say when CollectReceivers gives up.
inline constexpr const char* kReceiverListTooLongText =
    "The receiver list is too long!\n\n"
    "The addresses found in the receivers field would take more than 16 MiB. "
    "Please separate the addresses with blanks, commas, semicolons or line breaks.\n\n";
