#pragma once

#include <string>
#include <vector>

#include "core/Result.h"

// A text from the receivers field that will not be sent, and why.
struct SkippedReceiver {
    std::string text;
    std::string reason;
};

// The receivers one send goes to: each address once, in the order found.
struct ReceiverSelection {
    std::vector<std::string> addresses;
    std::vector<SkippedReceiver> skipped;
};

// Why text cannot be handed to a mail server as an address, or empty when
// it can: an ASCII local part and domain around one "@", no blanks,
// control characters or characters that end an address in a header, at
// most 254 bytes.
std::string AddressProblem(const std::string& text);

// The addresses CollectReceivers finds, whatever the delimiter; a second
// spelling of an address that differs only in case is dropped, and texts
// that cannot be addresses are set aside with their reason. TooLarge as
// CollectReceivers.
Result<ReceiverSelection> SelectReceivers(const std::string& receivers);

// "Ann Lee <ann@x.org>" or "ann@x.org" split into name and address.
struct Mailbox {
    std::string name;
    std::string address;
};
Mailbox SplitMailbox(const std::string& text);

// The address in lower case, as the ledger and the duplicate test compare it.
std::string AddressKey(const std::string& address);
