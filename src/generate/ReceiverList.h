#pragma once

#include <string>

// The text written between two receiver addresses for a delimiter setting:
// 0 "; ", 1 ", ", 2 " ", 3 a line feed, anything else "; ".
std::string ReceiverSeparator(int receiverDelimiter);

// Finds every address (a run of characters around an "@", bounded by blank,
// comma, semicolon, tab or line feed) in the receivers text and joins them
// in order with the separator of the delimiter setting.
std::string CollectReceivers(const std::string& receivers, int receiverDelimiter);
