#include <algorithm>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "core/replies/ReplyReport.h"

namespace {

// Soft bounces from this many different reports make a hard one.
constexpr std::size_t kSoftBouncesForHard = 3;
// A returned message's Date may lie this far before the first message of
// the release or after the last (clocks, time zones, queues).
constexpr std::time_t kDateSlack = 2 * 24 * 60 * 60;

// What decides alone: a dead address, a complaint, an unsubscribe request.
bool Outweighs(ReplyKind kind)
{
    return kind == ReplyKind::HardBounce || kind == ReplyKind::Complaint || kind == ReplyKind::Unsubscribe;
}

}  // namespace

bool AboutOurMessage(const ReplyFinding& finding, const SentRelease& sent)
{
    if (finding.ours == OurMessage::Yes || finding.kind == ReplyKind::Unsubscribe)
        return true;
    if (sent.receivers.count(finding.address) == 0)
        return false;
    // Each message of ours goes to one receiver under one of the subjects
    // the release was sent with, while it was being sent.
    if (!finding.returnedTo.empty() && finding.returnedTo != finding.address)
        return false;
    if (!finding.returnedSubject.empty() && !sent.subjects.empty() &&
        sent.subjects.count(finding.returnedSubject) == 0)
        return false;
    return finding.returnedDate == 0 || sent.firstSent == 0 ||
        (finding.returnedDate >= sent.firstSent - kDateSlack &&
         finding.returnedDate <= sent.lastSent + kDateSlack);
}

struct ReplyTally::Impl {
    struct Receiver {
        std::size_t index = 0;  // in summary.findings
        std::unordered_set<std::string> softReports;
    };
    SentRelease sent;
    ReplySummary summary;
    std::unordered_set<std::string> reports;
    std::unordered_map<std::string, Receiver> receivers;

    void Take(const ReplyFinding& finding, const std::string& report)
    {
        auto [entry, added] = receivers.try_emplace(finding.address);
        Receiver& receiver = entry->second;
        if (added) {
            receiver.index = summary.findings.size();
            summary.findings.push_back(finding);
        }
        ReplyFinding& kept = summary.findings[receiver.index];
        if (Outweighs(kept.kind))
            return;
        if (finding.kind != ReplyKind::SoftBounce) {
            // A dead address or a complaint takes the place of the rest; a
            // refusal by policy or a report only of a soft bounce.
            if (Outweighs(finding.kind) || kept.kind != ReplyKind::SoftBounce || receiver.softReports.empty())
                kept = finding;
            return;
        }
        receiver.softReports.insert(report);
        kept = finding;
        const std::size_t soft = receiver.softReports.size();
        if (soft >= kSoftBouncesForHard) {
            kept.kind = ReplyKind::HardBounce;
            kept.evidence += " (" + std::to_string(soft) + " soft bounces)";
        }
    }
};

ReplyTally::ReplyTally(SentRelease sent) : impl_(std::make_shared<Impl>()) { impl_->sent = std::move(sent); }

void ReplyTally::Take(const ReplyVerdict& verdict, std::string_view message)
{
    ReplySummary& summary = impl_->summary;
    if (!verdict.recognised) {
        ++summary.otherCount;
        if (verdict.other && summary.others.size() < kOtherRepliesKept)
            summary.others.push_back(*verdict.other);
        return;
    }
    const bool ours =
        std::all_of(verdict.findings.begin(), verdict.findings.end(),
                    [this](const ReplyFinding& finding) { return AboutOurMessage(finding, impl_->sent); });
    if (!ours) {
        ++summary.notOurs;
        return;
    }
    ++(verdict.unsubscribe ? summary.unsubscribes : summary.reports);
    // Read twice (two mailboxes, a copy in another folder), a report counts once.
    const std::string report = !verdict.reportId.empty()
        ? "id " + verdict.reportId
        : "bytes " + std::to_string(std::hash<std::string_view>()(message));
    if (!impl_->reports.insert(report).second)
        return;
    summary.namedNotApplied += verdict.alsoNamed.size();
    for (const ReplyFinding& finding : verdict.findings)
        impl_->Take(finding, report);
}

ReplySummary ReplyTally::Summary() const { return impl_->summary; }
