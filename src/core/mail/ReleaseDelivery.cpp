#include "core/mail/ReleaseDelivery.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
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

std::string MessageBody(const DeliveryPlan& plan)
{
    std::string note = plan.note;
    while (!note.empty() && (note.back() == '\n' || note.back() == '\r' || note.back() == ' '))
        note.pop_back();
    return note.empty() ? plan.release : note + "\n\n" + plan.release;
}

std::string UnsubscribeFooter(const std::string& unsubscribeUrl)
{
    const std::string reply = "reply to this message with the subject \"unsubscribe\"";
    return "To receive no more press releases from us, " +
        (unsubscribeUrl.empty() ? reply : "visit " + unsubscribeUrl + " or " + reply) + ".";
}

std::string TextIdOf(const DeliveryPlan& plan)
{
    return ReleaseTextId(plan.subject, plan.note, plan.release);
}

std::string RetryWaitText(std::chrono::seconds left, std::size_t receivers, const std::string& reply)
{
    const long seconds = std::max<long>(0, static_cast<long>(left.count()));
    char clock[32];
    std::snprintf(clock, sizeof clock, "%ld:%02ld", seconds / 60, seconds % 60);
    return std::string("Waiting ") + clock + " to try " + std::to_string(receivers) +
        (receivers == 1 ? " receiver" : " receivers") + " again" + (reply.empty() ? "" : ": " + reply);
}

ReleaseStanding StandingOf(const DeliveryPlan& plan, const SendLedger& ledger)
{
    ReleaseStanding standing;
    const std::string textId = TextIdOf(plan);
    for (const Mailbox& receiver : plan.receivers) {
        if (ledger.HasSent(receiver.address, textId))
            ++standing.alreadySent;
        else if (ledger.InDoubt(receiver.address))
            ++standing.inDoubt;
        else if (ledger.HasSentAnyText(receiver.address))
            ++standing.earlierText;
    }
    standing.lastSent = ledger.LastSent();
    return standing;
}

std::string EarlierTextNote(const ReleaseStanding& standing)
{
    std::string note = std::to_string(standing.earlierText) +
        (standing.earlierText == 1 ? " receiver" : " receivers") +
        " already got an earlier text of this release";
    if (standing.lastSent != 0)
        note += " (last sent " + LedgerTimeText(standing.lastSent) + ")";
    return note;
}

std::size_t ToSendNow(std::size_t receivers, const ReleaseStanding& standing, ChangedText changed,
                      bool againInDoubt)
{
    std::size_t settled = standing.alreadySent + (againInDoubt ? 0 : standing.inDoubt);
    if (changed == ChangedText::Rest)
        settled += standing.earlierText;
    return receivers > settled ? receivers - settled : 0;
}

std::string SendDurationText(std::size_t messages, int perMinute)
{
    // The first message goes at once; each after it waits for the pace.
    const long long seconds =
        perMinute > 0 && messages > 1 ? (static_cast<long long>(messages) - 1) * 60 / perMinute : 0;
    if (seconds < 60)
        return "less than a minute";
    const long long minutes = (seconds + 59) / 60;
    return "about " + std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

std::string SendQuestionText(std::size_t messages, int perMinute)
{
    std::string duration = SendDurationText(messages, perMinute);
    duration[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(duration[0])));
    return "Send the release to " + std::to_string(messages) + (messages == 1 ? " receiver" : " receivers") +
        " now? " + duration + ".";
}

std::string NothingToSendText(std::size_t receivers, const ReleaseStanding& standing)
{
    if (receivers == 0)
        return "Nothing to send: no receiver is left to send to.";
    if (standing.alreadySent == receivers)
        return "Nothing to send: every receiver already has this release.";
    std::string why = "Nothing to send now: every receiver already has this release";
    if (standing.earlierText > 0)
        why += " or an earlier text of it";
    if (standing.inDoubt > 0)
        why += ", or is in doubt";
    return why + ".";
}

std::string LedgerPathFor(const DeliveryPlan& plan)
{
    return LedgerPath(ReleaseLedgerId(plan.sender.address, plan.product, plan.version));
}

namespace {

// What earlier versions kept, newest first: each is taken in as having
// come before what is already taken.
ReleaseLedger TakeEarlierLedgers(Result<SendLedger> ledger, const DeliveryPlan& plan,
                                 const std::string& defaultSubject)
{
    const std::string path = LedgerPathFor(plan);
    if (!ledger)
        return {std::move(ledger), path};
    const std::string exact =
        LedgerPath(ExactReleaseLedgerId(plan.sender.address, plan.product, plan.version));
    if (exact != path)
        if (const Result<> taken = ledger->TakeEarlierRelease(exact); !taken)
            return {taken.failure(), taken.failure() == Failure::CannotWrite ? path : exact};
    const std::string sender = plan.sender.name + " <" + plan.sender.address + ">";
    const std::string perText = LedgerPath(TextLedgerId(sender, defaultSubject, plan.release));
    if (const Result<> taken = ledger->TakeEarlier(perText, ReleaseTextId(defaultSubject, "", plan.release));
        !taken)
        return {taken.failure(), perText};
    return {std::move(ledger), path};
}

}  // namespace

ReleaseLedger OpenReleaseLedger(const DeliveryPlan& plan, const std::string& defaultSubject)
{
    return TakeEarlierLedgers(SendLedger::Open(LedgerPathFor(plan)), plan, defaultSubject);
}

ReleaseLedger PeekReleaseLedger(const DeliveryPlan& plan, const std::string& defaultSubject)
{
    return TakeEarlierLedgers(SendLedger::Peek(LedgerPathFor(plan)), plan, defaultSubject);
}

namespace {

// "{address}" in the unsubscribe address stands for the receiver's,
// escaped for a URL.
std::string ReceiverUrl(const std::string& url, const std::string& address)
{
    static constexpr std::string_view kPlaceholder = "{address}";
    const std::size_t at = url.find(kPlaceholder);
    if (at == std::string::npos)
        return url;
    std::string escaped;
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '.' || c == '-' || c == '_' || c == '~') {
            escaped += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            escaped += hex;
        }
    }
    return url.substr(0, at) + escaped + url.substr(at + kPlaceholder.size());
}

}  // namespace

std::string ReleaseMessageFor(const DeliveryPlan& plan, const Mailbox& receiver, std::time_t date,
                              const std::string& messageId)
{
    MailMessage message;
    message.from = plan.sender;
    message.to = receiver;
    message.subject = plan.subject;
    message.body = MessageBody(plan);
    message.date = date;
    message.messageId = messageId;
    message.releaseId = ReleaseLedgerId(plan.sender.address, plan.product, plan.version);
    const std::string url = ReceiverUrl(plan.unsubscribeUrl, receiver.address);
    if (plan.unsubscribeFooter)
        message.body += (message.body.empty() || message.body.back() == '\n' ? "\n" : "\n\n") +
            UnsubscribeFooter(url) + "\n";
    if (!url.empty())
        message.unsubscribe.push_back(url);
    message.unsubscribe.push_back(UnsubscribeMailto(plan.sender.address));
    message.oneClick = !url.empty();
    return WriteMailMessage(message);
}

namespace {

class Delivery {
public:
    Delivery(const DeliveryPlan& plan, MailTransport& transport, SendLedger* ledger,
             const DeliveryClock& clock, const DeliveryEvents& events)
        : plan_(plan), transport_(transport), ledger_(ledger), clock_(clock), events_(events),
          textId_(TextIdOf(plan)), idPrefix_(NewMessageIdPrefix()),
          interval_(plan.perMinute > 0 ? 60000 / plan.perMinute : 0)
    {
    }

    DeliverySummary Run();

private:
    bool Going() const { return summary_.stopReason.empty() && !summary_.cancelled; }
    void Settle(ReceiverOutcome outcome);
    // Whom the ledger already settles; nullopt for those still to be sent.
    std::optional<ReceiverState> StandingOf(const Mailbox& receiver) const;
    void Pace();
    // Sends to one receiver; true when the server said "later".
    bool SendTo(const Mailbox& receiver, bool lastRound, std::string& laterReply);
    void Record(const Mailbox& receiver, LedgerOutcome outcome, const std::string& detail);

    const DeliveryPlan& plan_;
    MailTransport& transport_;
    SendLedger* ledger_;
    const DeliveryClock& clock_;
    const DeliveryEvents& events_;
    const std::string textId_;
    const std::string idPrefix_;
    const milliseconds interval_;
    DeliverySummary summary_;
    std::size_t messageNumber_ = 0;
    bool started_ = false;
    std::chrono::steady_clock::time_point lastStart_;
};

void Delivery::Settle(ReceiverOutcome outcome)
{
    switch (outcome.state) {
    case ReceiverState::Sent: ++summary_.sent; break;
    case ReceiverState::AlreadySent: ++summary_.alreadySent; break;
    case ReceiverState::EarlierText: ++summary_.earlierText; break;
    case ReceiverState::Refused: ++summary_.refused; break;
    case ReceiverState::Left: ++summary_.left; break;
    case ReceiverState::InDoubt: ++summary_.inDoubt; break;
    }
    if (events_.settled)
        events_.settled(outcome);
    summary_.receivers.push_back(std::move(outcome));
}

std::optional<ReceiverState> Delivery::StandingOf(const Mailbox& receiver) const
{
    if (!ledger_ || plan_.ignoreLedger)
        return std::nullopt;
    if (ledger_->HasSent(receiver.address, textId_))
        return ReceiverState::AlreadySent;
    if (ledger_->InDoubt(receiver.address) && !plan_.againInDoubt)
        return ReceiverState::InDoubt;
    if (ledger_->HasSentAnyText(receiver.address) && plan_.changed == ChangedText::Rest)
        return ReceiverState::EarlierText;
    return std::nullopt;
}

void Delivery::Pace()
{
    if (started_ && interval_.count() > 0) {
        const auto wait = std::chrono::duration_cast<milliseconds>(lastStart_ + interval_ - clock_.now());
        if (wait.count() > 0)
            clock_.pause(wait);
    }
    started_ = true;
    lastStart_ = clock_.now();
}

void Delivery::Record(const Mailbox& receiver, LedgerOutcome outcome, const std::string& detail)
{
    if (ledger_ && summary_.stopReason.empty() &&
        !ledger_->Record(receiver.address, outcome, detail, textId_, clock_.wallTime()))
        summary_.stopReason = "the ledger " + ledger_->path() + " cannot be written";
}

bool Delivery::SendTo(const Mailbox& receiver, bool lastRound, std::string& laterReply)
{
    if (ledger_ && !ledger_->RecordSending(receiver.address, textId_)) {
        summary_.stopReason = "the ledger " + ledger_->path() + " cannot be written";
        Settle({receiver.address, ReceiverState::Left, {}});
        return false;
    }
    const std::time_t date = clock_.wallTime();
    const std::string id = idPrefix_ + "." + std::to_string(++messageNumber_) + ".vantrel";
    const SendReply reply =
        transport_.Send(plan_.sender.address, receiver.address, ReleaseMessageFor(plan_, receiver, date, id));
    summary_.cancelled = summary_.cancelled || reply.cancelled;
    switch (reply.outcome) {
    case SendOutcome::Sent:
        Record(receiver, LedgerOutcome::Sent, reply.reply);
        // Sent but not recorded: a resumed run must not count on it either way.
        Settle({receiver.address, summary_.stopReason.empty() ? ReceiverState::Sent : ReceiverState::InDoubt,
                summary_.stopReason});
        return false;
    case SendOutcome::Refused:
        Record(receiver, LedgerOutcome::Refused, reply.reply);
        Settle({receiver.address, ReceiverState::Refused, reply.reply});
        return false;
    case SendOutcome::InDoubt:
        Record(receiver, LedgerOutcome::InDoubt, reply.reply);
        Settle({receiver.address, ReceiverState::InDoubt, reply.reply});
        return false;
    case SendOutcome::TryAgain:
        Record(receiver, LedgerOutcome::Left, reply.reply);
        if (lastRound || !summary_.stopReason.empty()) {
            Settle({receiver.address, ReceiverState::Left, reply.reply});
            return false;
        }
        laterReply = reply.reply;
        return true;
    case SendOutcome::Cancelled:
        Record(receiver, LedgerOutcome::Left, reply.reply);
        Settle({receiver.address, ReceiverState::Left, reply.reply});
        return false;
    case SendOutcome::Stop:
        Record(receiver, LedgerOutcome::Left, reply.reply);
        summary_.stopReason = reply.reply;
        Settle({receiver.address, ReceiverState::Left, reply.reply});
        return false;
    }
    return false;
}

DeliverySummary Delivery::Run()
{
    std::vector<const Mailbox*> pending;
    for (const Mailbox& receiver : plan_.receivers) {
        if (const std::optional<ReceiverState> state = StandingOf(receiver))
            Settle({receiver.address, *state,
                    *state == ReceiverState::InDoubt ? "in doubt since an earlier run" : ""});
        else
            pending.push_back(&receiver);
    }
    if (ledger_ && !pending.empty() &&
        !ledger_->RecordText(textId_, {plan_.subject, plan_.note}, clock_.wallTime()))
        summary_.stopReason = "the ledger " + ledger_->path() + " cannot be written";

    std::string laterReply;
    for (int round = 0; round <= plan_.retryRounds && !pending.empty(); ++round) {
        if (round > 0 && Going()) {
            if (events_.waiting)
                events_.waiting({BackOff(round), pending.size(), laterReply});
            clock_.pause(BackOff(round));
        }
        std::vector<const Mailbox*> later;
        for (const Mailbox* receiver : pending) {
            if (Going() && events_.keepGoing &&
                !events_.keepGoing(summary_.receivers.size(), plan_.receivers.size(), receiver->address))
                summary_.cancelled = true;
            if (!Going()) {
                Settle({receiver->address, ReceiverState::Left, {}});
                continue;
            }
            Pace();
            if (SendTo(*receiver, round == plan_.retryRounds, laterReply))
                later.push_back(receiver);
        }
        pending = std::move(later);
    }
    return summary_;
}

}  // namespace

DeliverySummary DeliverRelease(const DeliveryPlan& plan, MailTransport& transport, SendLedger* ledger,
                               const DeliveryClock& clock, const DeliveryEvents& events)
{
    return Delivery(plan, transport, ledger, clock, events).Run();
}

std::vector<ReportRow> NotReached(const DeliverySummary& summary, const std::vector<SkippedReceiver>& skipped)
{
    std::vector<ReportRow> rows;
    for (const ReceiverOutcome& outcome : summary.receivers) {
        switch (outcome.state) {
        case ReceiverState::Refused: rows.push_back({outcome.address, "refused", outcome.reply}); break;
        case ReceiverState::Left: rows.push_back({outcome.address, "left", outcome.reply}); break;
        case ReceiverState::InDoubt: rows.push_back({outcome.address, "in doubt", outcome.reply}); break;
        default: break;
        }
    }
    for (const SkippedReceiver& entry : skipped)
        rows.push_back({entry.text, "skipped", entry.reason});
    return rows;
}

namespace {

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string ReportCsv(const std::vector<ReportRow>& rows)
{
    std::string csv = "address,outcome,words\r\n";
    for (const ReportRow& row : rows)
        csv += CsvField(row.address) + "," + CsvField(row.outcome) + "," + CsvField(row.words) + "\r\n";
    return csv;
}
