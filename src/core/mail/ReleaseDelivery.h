#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "core/mail/MailSettings.h"
#include "core/mail/SendLedger.h"
#include "core/mail/SmtpTransport.h"
#include "core/receivers/MailAddresses.h"

// Time as a send sees it. Tests give one that pauses without sleeping.
struct DeliveryClock {
    std::function<std::chrono::steady_clock::time_point()> now;
    std::function<void(std::chrono::milliseconds)> pause;
    std::function<std::time_t()> wallTime;  // for the Date header and the ledger
};
DeliveryClock SystemDeliveryClock();

// Who of those that already got an earlier text of the release gets this
// one: nobody (the rest of the list only) or everyone.
enum class ChangedText { Rest, All };

// One release to many receivers, one message each.
struct DeliveryPlan {
    Mailbox sender;
    std::string product;  // with the version and the sender's address, which release this is
    std::string version;
    std::string subject;
    std::string note;  // above the release; may be empty
    std::string release;  // as Generate, Email puts it on the clipboard
    std::vector<Mailbox> receivers;
    int perMinute = kDefaultMessagesPerMinute;  // 0: no pause between messages
    int retryRounds = 3;  // rounds for receivers whose server said "later"
    bool ignoreLedger = false;  // send to all, still recording each outcome
    ChangedText changed = ChangedText::Rest;
    bool againInDoubt = false;  // send to those an earlier run left in doubt
    // Where receivers opt out besides a reply to the sender: an https
    // address ("{address}" in it stands for the receiver's), or empty.
    std::string unsubscribeUrl;
    bool unsubscribeFooter = true;  // a line under the release says how
};

// The message's text: the note, a blank line, the release.
std::string MessageBody(const DeliveryPlan& plan);
// The line under the release that says how to opt out.
std::string UnsubscribeFooter(const std::string& unsubscribeUrl);
// Which text the plan sends (ReleaseTextId of subject, note and body).
std::string TextIdOf(const DeliveryPlan& plan);

enum class ReceiverState {
    Sent,
    AlreadySent,  // this text, in an earlier run
    EarlierText,  // an earlier text of the release, and only the rest get this one
    Refused,
    Left,
    InDoubt,  // the message went but its acceptance was never heard
};

struct ReceiverOutcome {
    std::string address;
    ReceiverState state = ReceiverState::Left;
    std::string reply;  // the server's words for Refused, Left and InDoubt
};

struct DeliverySummary {
    std::vector<ReceiverOutcome> receivers;  // in the order they were settled
    std::size_t sent = 0;
    std::size_t alreadySent = 0;
    std::size_t earlierText = 0;
    std::size_t refused = 0;
    std::size_t left = 0;
    std::size_t inDoubt = 0;
    std::string stopReason;  // why the run ended early: server, TLS, login or ledger
    bool cancelled = false;

    bool EveryoneHasIt() const
    {
        return refused == 0 && left == 0 && inDoubt == 0 && stopReason.empty() && !cancelled;
    }
};

// A wait before receivers whose server said "later" are tried again.
struct RetryWait {
    std::chrono::milliseconds duration;
    std::size_t receivers = 0;
    std::string reply;  // the server's words for the last of them
};

struct DeliveryEvents {
    // Each receiver once its outcome is final.
    std::function<void(const ReceiverOutcome&)> settled;
    // Before each message; false stops the run, leaving the rest unsent.
    std::function<bool(std::size_t settled, std::size_t total, const std::string& next)> keepGoing;
    // Before each wait for a round of "later".
    std::function<void(const RetryWait&)> waiting;
};

// "Waiting 1:40 to try 1 receiver again: 451 4.7.1 try again later".
std::string RetryWaitText(std::chrono::seconds left, std::size_t receivers, const std::string& reply);

// How the receivers of a plan stand in the ledger before anything goes.
struct ReleaseStanding {
    std::size_t alreadySent = 0;  // this text
    std::size_t earlierText = 0;  // an earlier text only
    std::size_t inDoubt = 0;
    std::time_t lastSent = 0;
};
ReleaseStanding StandingOf(const DeliveryPlan& plan, const SendLedger& ledger);

// "296 receivers already got an earlier text of this release (last sent
// 2026-12-07 14:02)".
std::string EarlierTextNote(const ReleaseStanding& standing);

// How many of receivers a run would send to now: not those with this text,
// nor those in doubt unless asked, nor, for the rest only, those with an
// earlier text.
std::size_t ToSendNow(std::size_t receivers, const ReleaseStanding& standing, ChangedText changed,
                      bool againInDoubt);

// How long messages take at the pace: "about 7 minutes", "about 1 minute",
// "less than a minute".
std::string SendDurationText(std::size_t messages, int perMinute);

// The one question before a run: "Send the release to 130 receivers now?
// About 7 minutes."
std::string SendQuestionText(std::size_t messages, int perMinute);

// Why a run would send nothing now (toSend is 0), in one sentence.
std::string NothingToSendText(std::size_t receivers, const ReleaseStanding& standing);

// Where the ledger of this release lies (sender's address, product, version).
std::string LedgerPathFor(const DeliveryPlan& plan);

// The ledger of a release, or why there is none and which file that is.
struct ReleaseLedger {
    Result<SendLedger> ledger = Failure::CannotOpen;
    // The release's own ledger, or the earlier one that could not be read.
    std::string path;
};

// Opens the ledger of the plan's release and takes in what earlier
// versions recorded: the ledger they kept under the product and version as
// written, and the one for the text that defaultSubject, no note and the
// release make (one ledger per text, before that).
ReleaseLedger OpenReleaseLedger(const DeliveryPlan& plan, const std::string& defaultSubject);
// The same read as it stands, without the lock and never to write.
ReleaseLedger PeekReleaseLedger(const DeliveryPlan& plan, const std::string& defaultSubject);

// The message one receiver gets.
std::string ReleaseMessageFor(const DeliveryPlan& plan, const Mailbox& receiver, std::time_t date,
                              const std::string& messageId);

// Sends the release to every receiver the ledger does not name as having
// it yet (nor as in doubt), paced, recording each message in the ledger
// (when there is one) before it goes and its outcome before the next.
// Receivers told "later" are tried again after the others, waiting longer
// each round; a message whose acceptance was never heard is in doubt and
// never sent again by itself.
DeliverySummary DeliverRelease(const DeliveryPlan& plan, MailTransport& transport, SendLedger* ledger,
                               const DeliveryClock& clock, const DeliveryEvents& events);

// The receivers a run did not reach, and those the list skipped, as the
// report shows them: address, "refused", "left", "in doubt" or "skipped",
// and the server's words (or the reason the entry was skipped).
struct ReportRow {
    std::string address;
    std::string outcome;
    std::string words;
};
std::vector<ReportRow> NotReached(const DeliverySummary& summary,
                                  const std::vector<SkippedReceiver>& skipped);

// The rows as CSV (RFC 4180: a heading line, CR LF line ends, fields with a
// comma, quote or line break quoted).
std::string ReportCsv(const std::vector<ReportRow>& rows);
