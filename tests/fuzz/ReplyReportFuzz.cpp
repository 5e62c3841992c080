// Any bytes as a message in the sender's mailbox: the report reader never
// crashes, never reads past its input, and names only addresses, with
// evidence on one line, and applies to one receiver at most; the tally
// keeps one finding per receiver, counts a report read twice once and
// every message once.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "FuzzInput.h"
#include "core/replies/ReplyReport.h"

namespace {

bool HasControlCharacter(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7f)
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    const ReplyVerdict verdict = ReadReplyMessage(message, "press@vantrel.test");
    Require(verdict.recognised || verdict.findings.empty());
    Require(verdict.findings.size() <= 1 && !HasControlCharacter(verdict.reportId));
    for (const ReplyFinding& finding : verdict.findings) {
        Require(finding.address.find('@') != std::string::npos && !HasControlCharacter(finding.address));
        Require(!HasControlCharacter(finding.evidence) && finding.evidence.size() <= 300);
        Require(!HasControlCharacter(finding.messageId));
    }

    if (verdict.other)
        Require(!HasControlCharacter(verdict.other->from) && !HasControlCharacter(verdict.other->firstLine));

    // As if the release had gone to everybody the report names.
    SentRelease sent;
    for (const ReplyFinding& finding : verdict.findings)
        sent.receivers.insert(finding.address);
    ReplyTally tally(sent);
    tally.Take(verdict, message);
    tally.Take(verdict, message);
    const ReplySummary summary = tally.Summary();
    // One report, however often read, turns no soft bounce into a hard one.
    std::set<std::pair<std::string, ReplyKind>> found;
    for (const ReplyFinding& finding : verdict.findings)
        found.insert({finding.address, finding.kind});
    std::set<std::string> addresses;
    for (const ReplyFinding& finding : summary.findings) {
        Require(addresses.insert(finding.address).second);
        Require(found.count({finding.address, finding.kind}) == 1);
    }
    // Each message read is counted once, as one thing.
    Require(summary.Read() == 2 && summary.otherCount == (verdict.recognised ? 0u : 2u));
    return 0;
}
