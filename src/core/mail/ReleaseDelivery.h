#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "core/mail/MailAddresses.h"
#include "core/mail/MailSettings.h"
#include "core/mail/SendLedger.h"
#include "core/mail/SmtpTransport.h"

// Time as a send sees it. Tests give one that pauses without sleeping.
struct DeliveryClock {
    std::function<std::chrono::steady_clock::time_point()> now;
    std::function<void(std::chrono::milliseconds)> pause;
    std::function<std::time_t()> wallTime;  // for the Date header
};
DeliveryClock SystemDeliveryClock();

// One release to many receivers, one message each.
struct DeliveryPlan {
    Mailbox sender;
    std::string subject;
    std::string body;
    std::vector<std::string> receivers;
    int perMinute = kDefaultMessagesPerMinute;  // 0: no pause between messages
    int retryRounds = 3;  // rounds for receivers whose server said "later"
    bool ignoreLedger = false;  // send to all, still recording each outcome
};

enum class ReceiverState { Sent, AlreadySent, Refused, Left };

struct ReceiverOutcome {
    std::string address;
    ReceiverState state = ReceiverState::Left;
    std::string reply;  // the server's words for Refused and Left
};

struct DeliverySummary {
    std::vector<ReceiverOutcome> receivers;  // in the order they were settled
    std::size_t sent = 0;
    std::size_t alreadySent = 0;
    std::size_t refused = 0;
    std::size_t left = 0;
    std::string stopReason;  // why the run ended early: server, TLS, login or ledger
    bool cancelled = false;

    bool EveryoneHasIt() const { return refused == 0 && left == 0 && stopReason.empty() && !cancelled; }
};

struct DeliveryEvents {
    // Each receiver once its outcome is final.
    std::function<void(const ReceiverOutcome&)> settled;
    // Before each message; false stops the run, leaving the rest unsent.
    std::function<bool(std::size_t settled, std::size_t total, const std::string& next)> keepGoing;
};

// Where the ledger of this release lies (LedgerPath of its sender,
// subject and body).
std::string LedgerPathFor(const DeliveryPlan& plan);

// The message one receiver gets.
std::string ReleaseMessageFor(const DeliveryPlan& plan, const std::string& receiver, std::time_t date,
                              const std::string& messageId);

// Sends the release to every receiver the ledger does not name as sent
// yet, paced, recording each outcome in the ledger (when there is one)
// before the next message goes. Receivers told "later" are tried again
// after the others, waiting longer each round.
DeliverySummary DeliverRelease(const DeliveryPlan& plan, MailTransport& transport, SendLedger* ledger,
                               const DeliveryClock& clock, const DeliveryEvents& events);
