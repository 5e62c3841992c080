#include "core/replies/ReplyCheck.h"

#include <ctime>

#include "core/replies/ReplyText.h"
#include "core/settings/SettingsStore.h"

ReplyCheck CheckReplies(const ReplySource& source, const std::string& senderAddress, const SentRelease& sent,
                        const std::function<bool(std::size_t read, std::size_t total)>& progress)
{
    const std::time_t since = sent.firstSent;
    ReplyTally tally(sent);
    const VisitMessage visit = [&](std::string_view message, std::size_t index, std::size_t total) {
        tally.Take(ReadReplyMessage(message, senderAddress), message);
        return !progress || progress(index + 1, total);
    };
    ReplyCheck check;
    switch (source.kind) {
    case ReplySource::Kind::Server: check.reading = ReadImap(source.server, since, visit); break;
    case ReplySource::Kind::Maildir: check.reading = ReadMaildir(source.path, since, visit); break;
    case ReplySource::Kind::Mbox: check.reading = ReadMbox(source.path, since, visit); break;
    }
    check.summary = tally.Summary();
    return check;
}

namespace {

std::string RememberedSourceName(const std::string& senderAddress)
{
    return "RepliesReadFrom" + SenderId(senderAddress);
}

}  // namespace

std::optional<ReplySource> RememberedReplySource(const std::string& senderAddress)
{
    const Result<std::string> value = ReadSetting(kSettingsKeyPath, RememberedSourceName(senderAddress));
    if (!value)
        return std::nullopt;
    ReplySource source;
    const std::size_t tab = value->find('\t');
    const std::string kind = value->substr(0, tab);
    source.path = tab == std::string::npos ? std::string() : value->substr(tab + 1);
    if (kind == "maildir")
        source.kind = ReplySource::Kind::Maildir;
    else if (kind == "mbox")
        source.kind = ReplySource::Kind::Mbox;
    else if (kind != "server")
        return std::nullopt;
    return source;
}

Result<> RememberReplySource(const std::string& senderAddress, const ReplySource& source)
{
    const char* kind = source.kind == ReplySource::Kind::Maildir ? "maildir"
        : source.kind == ReplySource::Kind::Mbox                 ? "mbox"
                                                                 : "server";
    return WriteSetting(kSettingsKeyPath, RememberedSourceName(senderAddress),
                        std::string(kind) +
                            (source.kind == ReplySource::Kind::Server ? "" : "\t" + source.path));
}

SentRelease SentReleaseOf(const SendLedger& ledger)
{
    SentRelease sent;
    for (const std::string& address : ledger.SentReceivers())
        sent.receivers.insert(address);
    for (const std::string& subject : ledger.Subjects())
        sent.subjects.insert(OneLine(subject));
    sent.firstSent = ledger.FirstSent();
    sent.lastSent = ledger.LastSent();
    return sent;
}

bool BelongsOnList(const ReplyFinding& finding)
{
    return finding.kind == ReplyKind::HardBounce || finding.kind == ReplyKind::Complaint ||
        finding.kind == ReplyKind::Unsubscribe;
}

DoNotSendEntry EntryFor(const ReplyFinding& finding)
{
    DoNotSendEntry entry;
    entry.address = finding.address;
    entry.when = finding.when != 0 ? finding.when : std::time(nullptr);
    entry.evidence = finding.evidence;
    switch (finding.kind) {
    case ReplyKind::HardBounce:
    case ReplyKind::SoftBounce:
    case ReplyKind::Refused:
    case ReplyKind::Report: entry.reason = DoNotSendReason::Bounced; break;
    case ReplyKind::Complaint: entry.reason = DoNotSendReason::Complaint; break;
    case ReplyKind::Unsubscribe: entry.reason = DoNotSendReason::Unsubscribed; break;
    }
    return entry;
}

std::string DayText(std::time_t when)
{
    if (when == 0)
        return "-";
    std::tm parts{};
    localtime_r(&when, &parts);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
}

namespace {

std::string Counted(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string ReadingCountsText(const ReplyCheck& check)
{
    const ReplySummary& summary = check.summary;
    std::string text = "Messages read: " + std::to_string(summary.Read()) + ": " +
        Counted(summary.reports, "report", "reports") + ", " +
        Counted(summary.unsubscribes, "unsubscribe request", "unsubscribe requests") + ", " +
        Counted(summary.otherCount, "other reply", "other replies") + ", " + std::to_string(summary.notOurs) +
        " about other mail";
    if (summary.namedNotApplied > 0)
        text += "; " + Counted(summary.namedNotApplied, "further receiver", "further receivers") +
            " named by reports, not applied";
    return text;
}

std::string FindingLine(const ReplyFinding& finding)
{
    const std::string day = DayText(finding.when);
    std::string evidence = finding.evidence + (finding.hint.empty() ? "" : "; look at " + finding.hint);
    for (char& c : evidence)
        if (static_cast<unsigned char>(c) < ' ')
            c = ' ';
    return finding.address + "\t" + ReplyKindText(finding.kind) + "\t" + day + "\t" + evidence;
}
