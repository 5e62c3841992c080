#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Result.h"
#include "core/mail/ReleaseDelivery.h"
#include "core/receivers/MailAddresses.h"
#include "core/receivers/ReceiverList.h"

// Why an address is on the list.
enum class DoNotSendReason { Unsubscribed, Bounced, Complaint, ByHand, Refused };

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
    const std::string& Path() const { return path_; }
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
// "complained on 2026-12-07", "taken off by hand on 2026-12-07", "refused
// when sending on 2026-12-07: 550 5.1.1 user unknown": what the preview
// and the report say of a skipped receiver.
std::string DoNotSendText(const DoNotSendEntry& entry);

// Takes the receivers the sender's list names out of receivers and gives
// them back as skipped, each with DoNotSendText as the reason.
std::vector<SkippedReceiver> LeaveOutDoNotSend(std::vector<Mailbox>& receivers, const DoNotSendList& list);

// Why an address the list names is left out of a list handed out
// (DoNotSendText), for CollectReceivers; nothing when the list is empty.
LeaveOut LeaveOutListed(const DoNotSendList& list);

// The receivers a send found dead (IsDeadAddress on the server's refusal),
// as entries for the list, with the server's words as evidence.
std::vector<DoNotSendEntry> RefusedAsDead(const DeliverySummary& summary, std::time_t when);
// "2 refused as unknown addresses were put on the do-not-send list: a@x.org,
// b@y.org.", the first three named.
std::string ListedAfterSendText(const std::vector<DoNotSendEntry>& dead);

// The sender's list, for a send: Open(DoNotSendPath(senderAddress)).
Result<DoNotSendList> DoNotSendListOf(const std::string& senderAddress);
