#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Result.h"
#include "core/mail/MailAddresses.h"

// Why an address is on the list.
enum class DoNotSendReason { Unsubscribed, Bounced, Complaint, ByHand };

struct DoNotSendEntry {
    std::string address;  // lower case
    DoNotSendReason reason = DoNotSendReason::ByHand;
    std::time_t when = 0;
    std::string evidence;  // the report's status and the server's diagnostic
};

// $XDG_STATE_HOME/vantrel/<id of the sender's address>.dont-send
std::string DoNotSendPath(const std::string& senderAddress);

// The addresses one sender must not send to. Each change rewrites the file
// safely; a file that cannot be read is an error, never an empty list.
class DoNotSendList {
public:
    // A missing file is an empty list.
    static Result<DoNotSendList> Open(const std::string& path);

    const std::vector<DoNotSendEntry>& Entries() const { return entries_; }
    std::optional<DoNotSendEntry> Find(const std::string& address) const;

    // Adds an address, or gives one already there the newer evidence (an
// entry by hand never replaces one with evidence). Busy when another
// program keeps the list locked.
    Result<> Add(const DoNotSendEntry& entry);
    // The same for many at once, with one rewrite of the file.
    Result<> AddAll(const std::vector<DoNotSendEntry>& entries);
    // Missing when the address is not on the list.
    Result<> Remove(const std::string& address);

private:
    explicit DoNotSendList(std::string path) : path_(std::move(path)) {}
    Result<> Read();
    Result<> Save() const;
    // Reads the file again and applies change under the list's lock;
    // Missing when change finds nothing to do. A change that cannot be
    // written leaves the entries as the file holds them.
    Result<> Change(const std::function<bool()>& change);

    std::string path_;
    std::vector<DoNotSendEntry> entries_;
};

// "asked not to receive", "bounced on 2026-12-07: 5.1.1 user unknown",
// "complained on 2026-12-07", "taken off by hand on 2026-12-07": what the
// preview and the report say of a skipped receiver.
std::string DoNotSendText(const DoNotSendEntry& entry);

// Takes the receivers the sender's list names out of receivers and gives
// them back as skipped, each with DoNotSendText as the reason.
std::vector<SkippedReceiver> LeaveOutDoNotSend(std::vector<Mailbox>& receivers, const DoNotSendList& list);

// The sender's list, for a send: Open(DoNotSendPath(senderAddress)).
Result<DoNotSendList> DoNotSendListOf(const std::string& senderAddress);
