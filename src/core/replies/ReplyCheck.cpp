#include "core/replies/ReplyCheck.h"

#include <ctime>

ReplyCheck CheckReplies(const ReplySource& source, const std::string& senderAddress, std::time_t since,
                        const std::function<bool(std::size_t read, std::size_t total)>& progress)
{
    ReplyTally tally;
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

bool BelongsOnList(const ReplyFinding& finding) { return finding.kind != ReplyKind::SoftBounce; }

DoNotSendEntry EntryFor(const ReplyFinding& finding)
{
    DoNotSendEntry entry;
    entry.address = finding.address;
    entry.when = finding.when != 0 ? finding.when : std::time(nullptr);
    entry.evidence = finding.evidence;
    switch (finding.kind) {
    case ReplyKind::HardBounce:
    case ReplyKind::SoftBounce: entry.reason = DoNotSendReason::Bounced; break;
    case ReplyKind::Complaint: entry.reason = DoNotSendReason::Complaint; break;
    case ReplyKind::Unsubscribe: entry.reason = DoNotSendReason::Unsubscribed; break;
    }
    return entry;
}

std::string FindingLine(const ReplyFinding& finding)
{
    std::string day = "-";
    if (finding.when != 0) {
        std::tm parts{};
        localtime_r(&finding.when, &parts);
        char text[16];
        std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
        day = text;
    }
    std::string evidence = finding.evidence;
    for (char& c : evidence)
        if (static_cast<unsigned char>(c) < ' ')
            c = ' ';
    return finding.address + "\t" + ReplyKindText(finding.kind) + "\t" + day + "\t" + evidence;
}
