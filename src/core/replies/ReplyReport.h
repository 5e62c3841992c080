#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What a message in the sender's mailbox says about one receiver.
enum class ReplyKind {
    HardBounce,  // Action: failed with a 5.x.x status
    SoftBounce,  // 4.x.x, or Action: delayed
    Complaint,  // a feedback report (the receiver marked it as spam)
    Unsubscribe,  // a reply to the unsubscribe address with the subject "unsubscribe"
};

// Whether the message a report answers was one of ours: its Message-ID
// ends in ".vantrel@<domain>". Unknown when the report returns no headers.
enum class OurMessage { Yes, No, Unknown };

struct ReplyFinding {
    std::string address;  // the receiver, lower case
    ReplyKind kind = ReplyKind::HardBounce;
    std::time_t when = 0;  // the report's Date, 0 when it has none that reads
    std::string evidence;  // "5.1.1 smtp; 550 5.1.1 <x@y.org>: user unknown", the feedback type, the subject
    std::string messageId;  // of the message it answers, without brackets; may be empty
    OurMessage ours = OurMessage::Unknown;
};

// One message read from the mailbox.
struct ReplyVerdict {
    bool recognised = false;  // a delivery status, feedback report or unsubscribe reply
    std::string reportId;  // the report's own Message-ID, to count a report once
    std::vector<ReplyFinding> findings;  // a report may name several receivers
};

// Reads one whole message (RFC 5322 with MIME). senderAddress is the
// address releases go out from: an unsubscribe reply must be addressed to
// it. Never throws; damaged or huge input is simply not recognised.
ReplyVerdict ReadReplyMessage(std::string_view message, const std::string& senderAddress);

// The findings of a whole reading, at most one per receiver: a hard
// bounce, complaint or unsubscribe outweighs a soft bounce; three soft
// bounces for one address from three different reports make a hard one.
// A report counts once however often it is read (by its reportId, else
// by its bytes' hash).
struct ReplySummary {
    std::vector<ReplyFinding> findings;  // in the order first seen
    std::size_t unrecognised = 0;  // messages that are none of the above
    std::size_t notOurs = 0;  // reports about a message that was not one of ours
};
class ReplyTally {
public:
    void Take(const ReplyVerdict& verdict, std::string_view message);
    ReplySummary Summary() const;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

// The words the window and the command line use: "hard bounce", "soft
// bounce", "complaint", "unsubscribed".
const char* ReplyKindText(ReplyKind kind);
