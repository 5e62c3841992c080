#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"

// A text from the receivers field that will not be sent, and why.
struct SkippedReceiver {
    std::string text;
    std::string reason;
};

// "Ann Lee <ann@x.org>" or "ann@x.org" split into name and address.
struct Mailbox {
    std::string name;
    std::string address;
};

// The receivers one send goes to: each address once, in the order found.
struct ReceiverSelection {
    std::vector<Mailbox> receivers;
    std::vector<SkippedReceiver> skipped;
    std::size_t twice = 0;  // entries naming an address again
};

// Why text cannot be handed to a mail server as an address, or empty when
// it can: an ASCII local part and domain around one "@", no blanks,
// control characters or characters that end an address in a header, at
// most 254 bytes.
std::string AddressProblem(const std::string& text);

// The receivers field split at the document's delimiter (and at line
// breaks, which no entry holds) into entries, each a bare address or
// "Name <address>", whose name may be quoted and then hold the delimiter.
// An entry is taken whole or skipped with its reason, never cut down to
// an address inside it; a second spelling of an address that differs only
// in case is dropped.
ReceiverSelection SelectReceivers(std::string_view receivers, int delimiter);

// What SelectReceivers would find, counted without keeping a copy of any
// entry: the status line's count of a long list.
struct ReceiverCounts {
    std::size_t receivers = 0;
    std::size_t skipped = 0;
    std::size_t twice = 0;
};
ReceiverCounts CountReceivers(std::string_view receivers, int delimiter);

// "298 receivers; 2 entries are not addresses; 1 twice", for the status line.
std::string ReceiverCountText(const ReceiverCounts& counts);
std::string ReceiverCountText(const ReceiverSelection& selection);

Mailbox SplitMailbox(const std::string& text);

// The address in lower case, as the ledger and the duplicate test compare it.
std::string AddressKey(const std::string& address);

// The receivers field without the entries whose address is one of
// addresses (compared as AddressKey does); the other entries keep their
// text and order, joined by the delimiter's separator.
std::string RemoveReceivers(std::string_view receivers, int delimiter,
                            const std::vector<std::string>& addresses);
