#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// What a message in the sender's mailbox says about one receiver.
enum class ReplyKind {
    HardBounce,  // the address is dead (Refusal::DeadAddress)
    SoftBounce,  // it may pass: a full mailbox, a delay, a generic refusal
    Refused,  // the sender was refused for policy, spam or reputation: the address is fine
    Complaint,  // an abuse or fraud report (the receiver marked it as spam)
    Unsubscribe,  // a reply "unsubscribe", or an opt-out report
    Report,  // another feedback report (a DMARC failure, "not spam", a virus): shown, never applied
};

// Whether the message a report answers was one of ours: its Message-ID
// ends in ".vantrel@<domain>", or it carries our X-Vantrel-Release header.
// Unknown when the report returns no headers at all.
enum class OurMessage { Yes, No, Unknown };

// The header every message sent carries, which survives the providers
// that replace the Message-ID: the release's id.
inline constexpr const char* kReleaseHeader = "X-Vantrel-Release";

struct ReplyFinding {
    std::string address;  // the receiver, lower case
    ReplyKind kind = ReplyKind::HardBounce;
    std::time_t when = 0;  // the report's Date, 0 when it has none that reads
    std::string evidence;  // "5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown", the feedback type, the subject
    std::string hint;  // for Refused: what the sender may look at
    std::string messageId;  // of the message it answers, without brackets; may be empty
    OurMessage ours = OurMessage::Unknown;
    // What the returned message's headers say, to match it with a send
    // when its Message-ID was replaced on the way.
    std::string returnedTo;
    std::string returnedSubject;
    std::time_t returnedDate = 0;
};

// A message that is no report and no unsubscribe request: a reporter's
// answer, an automatic reply. Shown to the user, who may want to answer.
struct OtherReply {
    std::string from;
    std::string subject;
    std::time_t when = 0;
    std::string firstLine;  // of its text
};

// One message read from the mailbox.
struct ReplyVerdict {
    bool recognised = false;  // a delivery report, a feedback report, a bounce in words or an unsubscribe
    bool unsubscribe = false;  // a reply asking not to receive
    std::string reportId;  // the report's own Message-ID, to count a report once
    // At most one: a report is about the one receiver its returned message
    // was sent to (each of ours has one).
    std::vector<ReplyFinding> findings;
    std::vector<ReplyFinding> alsoNamed;  // further receivers a report names: not applied
    std::optional<OtherReply> other;  // when not recognised
};

// Reads one whole message (RFC 5322 with MIME). senderAddress is the
// address releases go out from: an unsubscribe reply must be addressed to
// it. Never throws; damaged or huge input is simply not recognised.
ReplyVerdict ReadReplyMessage(std::string_view message, const std::string& senderAddress);

// What the sends of a release left to recognise their reports by when the
// returned Message-ID is not ours: who was sent it, with which subjects,
// and when.
struct SentRelease {
    std::set<std::string> receivers;  // lower case
    std::set<std::string> subjects;
    std::time_t firstSent = 0;
    std::time_t lastSent = 0;
};

// Whether a finding is about a message of ours: by its Message-ID or our
// header; else when its receiver was sent the release and the returned
// headers (To, Subject, Date), where there are, match what was sent.
bool AboutOurMessage(const ReplyFinding& finding, const SentRelease& sent);

// The findings of a whole reading, at most one per receiver: a hard
// bounce, complaint or unsubscribe outweighs the rest; three soft bounces
// for one address from three different reports make a hard one; a refusal
// by policy or another report never counts towards that. A report counts
// once however often it is read (by its reportId, else by its bytes' hash).
// Every message read is counted once: reports + unsubscribes + others +
// notOurs.
struct ReplySummary {
    std::vector<ReplyFinding> findings;  // in the order first seen
    std::size_t reports = 0;  // about messages of ours
    std::size_t unsubscribes = 0;
    std::vector<OtherReply> others;  // up to kOtherRepliesKept, the count in otherCount
    std::size_t otherCount = 0;
    std::size_t notOurs = 0;  // reports about a message that was not one of ours
    std::size_t namedNotApplied = 0;  // receivers reports named besides the one they are about
    std::size_t Read() const { return reports + unsubscribes + otherCount + notOurs; }
};
inline constexpr std::size_t kOtherRepliesKept = 1000;

class ReplyTally {
public:
    explicit ReplyTally(SentRelease sent = {});
    void Take(const ReplyVerdict& verdict, std::string_view message);
    ReplySummary Summary() const;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

// The words the window and the command line use: "hard bounce", "soft
// bounce", "refused by policy", "complaint", "unsubscribed", "report".
const char* ReplyKindText(ReplyKind kind);
