#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The one reading of the receivers field, which every path takes: the
// status line's count, the check, Email and Export, sending and the
// replies. Blanks, commas, semicolons, tabs and line feeds separate; a
// comma, semicolon or tab inside a quoted name or angle brackets does not.
// An entry is a bare address or "Name <address>", whose name may be
// quoted; "a@x.org b@y.org" is two entries. A run of the field that is not
// exactly one address is left out whole with the reason, never cut down
// to an address inside it; an empty entry is nothing.

// A run of the receivers field that is not exactly one address, and why.
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

// Each address once, a second spelling that differs only in case dropped.
ReceiverSelection SelectReceivers(std::string_view receivers);

// Hands taken the address of each entry that is one address, a second
// spelling too, and left each run that is not, with why, in the order of
// the field.
void ForEachReceiver(std::string_view receivers, const std::function<void(std::string_view address)>& taken,
                     const std::function<void(std::string_view run, const char* reason)>& left);

// What SelectReceivers would find, counted without keeping a copy of any
// entry but the first few left out: the status line's count of a long list.
struct ReceiverCounts {
    std::size_t receivers = 0;
    std::size_t skipped = 0;
    std::size_t twice = 0;
    std::vector<SkippedReceiver> firstSkipped;  // up to kFirstSkippedKept
};
inline constexpr std::size_t kFirstSkippedKept = 20;
ReceiverCounts CountReceivers(std::string_view receivers);

// "298 receivers; 2 entries are not addresses ("john doe@typo.example",
// "bob@nodomain"); 1 twice", for the status line.
std::string ReceiverCountText(const ReceiverCounts& counts);
std::string ReceiverCountText(const ReceiverSelection& selection);
// Its part on the entries left out: "2 entries are not addresses
// ("john doe@typo.example", "bob@nodomain")", the first three of first
// named.
std::string NotAddressesText(std::size_t count, const std::vector<SkippedReceiver>& first);

// The entries left out, one a line with the reason, and how many more
// there are of count: the receivers field's tooltip after a check.
std::string SkippedReceiversText(const std::vector<SkippedReceiver>& first, std::size_t count);

Mailbox SplitMailbox(const std::string& text);

// The address in lower case, as the ledger and the duplicate test compare it.
std::string AddressKey(std::string_view address);

// The receivers field without the entries whose address is one of
// addresses (compared as AddressKey does), each taken out with the
// separators after it (before it, when it was the last); everything else
// keeps its text and order.
std::string RemoveReceivers(std::string_view receivers, const std::vector<std::string>& addresses);
