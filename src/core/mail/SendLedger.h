#pragma once

#include <string>
#include <unordered_set>

#include "core/Result.h"

// Which release a ledger belongs to: a hash of the sender, the subject and
// the body, so that a changed release starts a ledger of its own.
std::string ReleaseLedgerId(const std::string& sender, const std::string& subject, const std::string& body);

// $XDG_STATE_HOME/vantrel/<id>.ledger (else under ~/.local/state); empty
// when no home is known.
std::string LedgerPath(const std::string& releaseId);

enum class LedgerOutcome { Sent, Refused };

// Who has been sent a release: one line per receiver and outcome, each on
// disk before the next message goes out, so a crash leaves at most the
// message in flight in doubt.
class SendLedger {
public:
    // Reads what the file holds and keeps it open for appending; creates
    // it and its folders when needed. A line cut short by a crash counts
    // for nothing.
    static Result<SendLedger> Open(const std::string& path);

    SendLedger(SendLedger&& other) noexcept;
    SendLedger& operator=(SendLedger&&) = delete;
    SendLedger(const SendLedger&) = delete;
    ~SendLedger();

    bool HasSent(const std::string& address) const;
    std::size_t SentCount() const { return sent_.size(); }
    const std::string& path() const { return path_; }

    // Appends the line and flushes it to disk; CannotWrite when the disk
    // refuses, after which nothing more may be sent.
    Result<> Record(const std::string& address, LedgerOutcome outcome, const std::string& detail);

private:
    SendLedger(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

    std::string path_;
    int fd_ = -1;
    std::unordered_set<std::string> sent_;  // lower-case addresses
};
