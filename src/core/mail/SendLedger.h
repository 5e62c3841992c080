#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Result.h"

// Which release a ledger belongs to: the sender's address, the product and
// its version, each as FoldedText compares them ("Vantrel" and "vantrel ",
// "2.1" and "2.1 " are one release). Every text of that release is recorded
// in the one ledger.
std::string ReleaseLedgerId(const std::string& senderAddress, const std::string& product,
                            const std::string& version);

// The id under which earlier versions kept the ledger of a release: the
// product and version exactly as written. The same as ReleaseLedgerId for
// texts that folding leaves as they are.
std::string ExactReleaseLedgerId(const std::string& senderAddress, const std::string& product,
                                 const std::string& version);

// Which sender a file of the sender's own belongs to (its address).
std::string SenderId(const std::string& senderAddress);

// Which text a receiver got: a hash of the subject, the note and the body.
std::string ReleaseTextId(const std::string& subject, const std::string& note, const std::string& body);

// The id under which earlier versions kept one ledger per text: a hash of
// the sender ("Name <address>"), the subject and the body.
std::string TextLedgerId(const std::string& sender, const std::string& subject, const std::string& body);

// $XDG_STATE_HOME/vantrel/<id>.ledger (else under ~/.local/state); empty
// when no home is known.
std::string LedgerPath(const std::string& id);

// "2026-12-07 14:02" in local time, as the send window names a date.
std::string LedgerTimeText(std::time_t time);

// Left: the message announced did not go (a "later", a stop, Cancel).
enum class LedgerOutcome { Sent, Refused, InDoubt, Left };

// A subject and note the release was sent with, so that a resumed run
// sends the same text.
struct LedgerText {
    std::string subject;
    std::string note;
};

// Who has been sent a release, with which text: one line per receiver and
// outcome, each on disk before the next message goes out. A line saying
// that a message is going is written before it goes, so a run that dies
// while a message is in flight leaves that receiver in doubt, not unsent.
class SendLedger {
public:
    // Opens the file without following a link, takes its lock for as long
    // as the ledger lives (Busy while another run holds it), reads what it
    // holds and keeps it open for appending; creates it and its folders
    // when needed. A line cut short by a crash counts for nothing.
    static Result<SendLedger> Open(const std::string& path);
    // Reads the ledger as it stands, without its lock and never to write
    // (a missing file is an empty ledger).
    static Result<SendLedger> Peek(const std::string& path);

    SendLedger(SendLedger&& other) noexcept;
    SendLedger& operator=(SendLedger&&) = delete;
    SendLedger(const SendLedger&) = delete;
    ~SendLedger();

    // Takes in what a ledger of an earlier version recorded, as having come
    // before this ledger's lines; its lines that name no text count for
    // textId. A missing file is no failure, but one that is there and
    // cannot be read (a link, a folder, no permission) is: CannotOpen.
    Result<> TakeEarlier(const std::string& path, const std::string& textId);
    // Takes in the ledger an earlier version kept for this release under
    // its name as typed then. While this ledger holds nothing yet, those
    // lines are copied into it first, so that the release found under
    // another spelling of its name has them too (CannotWrite when that
    // copy fails).
    Result<> TakeEarlierRelease(const std::string& path);

    bool HasSent(const std::string& address, const std::string& textId) const;
    bool HasSentAnyText(const std::string& address) const;
    bool InDoubt(const std::string& address) const;
    std::size_t SentCount() const;
    std::time_t LastSent() const { return lastSent_; }
    // When the first message of the release went (0: none yet).
    std::time_t FirstSent() const { return firstSent_; }
    std::optional<LedgerText> LatestText() const { return latestText_; }
    // Every subject the release was sent with, and whom it was sent to (in
    // doubt or not), lower case: what its bounces are recognised by.
    const std::vector<std::string>& Subjects() const { return subjects_; }
    std::vector<std::string> SentReceivers() const;
    const std::string& path() const { return path_; }

    // Each line is flushed to disk; CannotWrite when the disk refuses (a
    // full disk, the file size limit), after which nothing more may be
    // written.
    Result<> RecordText(const std::string& textId, const LedgerText& text, std::time_t time);
    Result<> RecordSending(const std::string& address, const std::string& textId);
    Result<> Record(const std::string& address, LedgerOutcome outcome, const std::string& detail,
                    const std::string& textId, std::time_t time);

private:
    struct Receiver {
        std::vector<std::string> texts;  // sent with these
        bool inDoubt = false;
        bool going = false;  // a message announced without its outcome
        bool decided = false;  // a line said whether it is in doubt
    };

    SendLedger(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    void TakeLines(std::string_view bytes, const std::string& textIdOfOldLines);
    void TakeUnder(SendLedger&& earlier);
    Result<> Append(const std::string& line);

    std::string path_;
    int fd_ = -1;
    bool broken_ = false;
    std::unordered_map<std::string, Receiver> receivers_;  // by lower-case address
    std::time_t lastSent_ = 0;
    std::time_t firstSent_ = 0;
    std::optional<LedgerText> latestText_;
    std::vector<std::string> subjects_;
};
