#include "core/mail/ReleaseDelivery.h"

#include <cstdio>
#include <random>
#include <thread>

#include "core/mail/MailMessage.h"

namespace {

using std::chrono::milliseconds;

// Rounds of "later" wait 30 s, then 60 s, then 120 s.
milliseconds BackOff(int round) { return milliseconds(30000L << (round - 1)); }

std::string NewMessageIdPrefix()
{
    std::random_device random;
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "%08x%08x", random(), random());
    return prefix;
}

}  // namespace

DeliveryClock SystemDeliveryClock()
{
    return {[] { return std::chrono::steady_clock::now(); },
            [](milliseconds duration) { std::this_thread::sleep_for(duration); },
            [] { return std::time(nullptr); }};
}

std::string LedgerPathFor(const DeliveryPlan& plan)
{
    return LedgerPath(
        ReleaseLedgerId(plan.sender.name + " <" + plan.sender.address + ">", plan.subject, plan.body));
}

std::string ReleaseMessageFor(const DeliveryPlan& plan, const std::string& receiver, std::time_t date,
                              const std::string& messageId)
{
    MailMessage message;
    message.from = plan.sender;
    message.to = receiver;
    message.subject = plan.subject;
    message.body = plan.body;
    message.date = date;
    message.messageId = messageId;
    return WriteMailMessage(message);
}

DeliverySummary DeliverRelease(const DeliveryPlan& plan, MailTransport& transport, SendLedger* ledger,
                               const DeliveryClock& clock, const DeliveryEvents& events)
{
    DeliverySummary summary;
    auto settle = [&](ReceiverOutcome outcome) {
        switch (outcome.state) {
        case ReceiverState::Sent: ++summary.sent; break;
        case ReceiverState::AlreadySent: ++summary.alreadySent; break;
        case ReceiverState::Refused: ++summary.refused; break;
        case ReceiverState::Left: ++summary.left; break;
        }
        if (events.settled)
            events.settled(outcome);
        summary.receivers.push_back(std::move(outcome));
    };

    std::vector<std::string> pending;
    for (const std::string& receiver : plan.receivers) {
        if (ledger && !plan.ignoreLedger && ledger->HasSent(receiver))
            settle({receiver, ReceiverState::AlreadySent, {}});
        else
            pending.push_back(receiver);
    }

    const milliseconds interval(plan.perMinute > 0 ? 60000 / plan.perMinute : 0);
    const std::string idPrefix = NewMessageIdPrefix();
    std::size_t messageNumber = 0;
    bool started = false;
    std::chrono::steady_clock::time_point lastStart;
    for (int round = 0; round <= plan.retryRounds && !pending.empty(); ++round) {
        const bool lastRound = round == plan.retryRounds;
        if (round > 0 && summary.stopReason.empty() && !summary.cancelled)
            clock.pause(BackOff(round));
        std::vector<std::string> later;
        for (const std::string& receiver : pending) {
            const bool going = summary.stopReason.empty() && !summary.cancelled;
            if (going && events.keepGoing &&
                !events.keepGoing(summary.receivers.size(), plan.receivers.size(), receiver))
                summary.cancelled = true;
            if (!summary.stopReason.empty() || summary.cancelled) {
                settle({receiver, ReceiverState::Left, {}});
                continue;
            }
            if (started && interval.count() > 0) {
                const auto wait =
                    std::chrono::duration_cast<milliseconds>(lastStart + interval - clock.now());
                if (wait.count() > 0)
                    clock.pause(wait);
            }
            started = true;
            lastStart = clock.now();
            const std::time_t date = clock.wallTime();
            const std::string id = idPrefix + "." + std::to_string(++messageNumber) + ".vantrel";
            const SendReply reply =
                transport.Send(plan.sender.address, receiver, ReleaseMessageFor(plan, receiver, date, id));
            switch (reply.outcome) {
            case SendOutcome::Sent:
            case SendOutcome::Refused: {
                const bool sent = reply.outcome == SendOutcome::Sent;
                if (ledger &&
                    !ledger->Record(receiver, sent ? LedgerOutcome::Sent : LedgerOutcome::Refused,
                                    reply.reply))
                    summary.stopReason = "the ledger " + ledger->path() + " cannot be written";
                settle(
                    {receiver, sent ? ReceiverState::Sent : ReceiverState::Refused, sent ? "" : reply.reply});
                break;
            }
            case SendOutcome::TryAgain:
                if (lastRound)
                    settle({receiver, ReceiverState::Left, reply.reply});
                else
                    later.push_back(receiver);
                break;
            case SendOutcome::Stop:
                summary.stopReason = reply.reply;
                settle({receiver, ReceiverState::Left, reply.reply});
                break;
            }
        }
        pending = std::move(later);
    }
    return summary;
}
