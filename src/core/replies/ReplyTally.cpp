#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "core/replies/ReplyReport.h"

namespace {

// Soft bounces from this many different reports make a hard one.
constexpr std::size_t kSoftBouncesForHard = 3;

bool Outweighs(ReplyKind kind) { return kind != ReplyKind::SoftBounce; }

}  // namespace

struct ReplyTally::Impl {
    struct Receiver {
        std::size_t index = 0;  // in summary.findings
        std::unordered_set<std::string> softReports;
    };
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
        if (Outweighs(finding.kind)) {
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

void ReplyTally::Take(const ReplyVerdict& verdict, std::string_view message)
{
    if (!impl_)
        impl_ = std::make_shared<Impl>();
    // Read twice (two mailboxes, a copy in another folder), a report counts once.
    const std::string report = !verdict.reportId.empty()
        ? "id " + verdict.reportId
        : "bytes " + std::to_string(std::hash<std::string_view>()(message));
    if (!impl_->reports.insert(report).second)
        return;
    if (!verdict.recognised) {
        ++impl_->summary.unrecognised;
        return;
    }
    bool notOurs = false;
    for (const ReplyFinding& finding : verdict.findings) {
        if (finding.ours == OurMessage::No)
            notOurs = true;
        else
            impl_->Take(finding, report);
    }
    if (notOurs)
        ++impl_->summary.notOurs;
}

ReplySummary ReplyTally::Summary() const { return impl_ ? impl_->summary : ReplySummary(); }
