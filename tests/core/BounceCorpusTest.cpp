// Real bounces, complaint reports and automatic replies that real mail
// servers sent (tests/corpora/bounces, with what each should give): no good
// receiver is listed, and the dead addresses, complaints and opt-outs are
// found, in standard reports and in free text alike.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "core/files/SafeFileWriter.h"
#include "core/replies/HeaderValues.h"
#include "core/replies/MimeMessage.h"
#include "core/replies/ReplyCheck.h"

namespace {

const std::string kCorpus = VANTREL_TEST_SUPPORT_DIR "/../corpora/bounces";

// What the corpus says of one message's receivers.
struct Expected {
    bool dead = false;  // some receiver's address is dead
    bool complaint = false;
    bool optOut = false;
    bool fine = true;  // every receiver is fine: none may be listed
};

std::map<std::string, Expected> ReadExpected()
{
    std::map<std::string, Expected> expected;
    std::istringstream rows(*ReadWholeFile(kCorpus + "/expected.tsv", 1 << 20));
    std::string row;
    std::getline(rows, row);  // the heading
    while (std::getline(rows, row)) {
        const std::string file = row.substr(0, row.find('\t'));
        const std::string listIt = row.substr(row.rfind('\t') + 1);
        Expected& message = expected[file];
        message.dead |= listIt == "yes: dead address";
        message.complaint |= listIt == "yes: complaint";
        message.optOut |= listIt == "yes: opt-out";
        message.fine &= listIt == "no";
    }
    return expected;
}

// A standard report carries its fields in a part of their own; the rest
// say it in words.
bool IsStandardReport(const std::string& message)
{
    std::string lower = message;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("message/delivery-status") != std::string::npos ||
        lower.find("message/global-delivery-status") != std::string::npos ||
        lower.find("message/feedback-report") != std::string::npos;
}

std::string SenderOf(const std::string& message)
{
    const std::vector<std::string> to =
        AddressesIn(FindField(ReadEntity(message).fields, "to") ? *FindField(ReadEntity(message).fields, "to")
                                                                : std::string());
    return to.empty() ? std::string() : to.front();
}

struct Tally {
    std::size_t found = 0;
    std::size_t of = 0;
    void Count(bool hit) { found += hit ? 1 : 0, ++of; }
    double Share() const { return of == 0 ? 1 : static_cast<double>(found) / static_cast<double>(of); }
};

TEST(BounceCorpus, NoGoodReceiverListedAndTheDeadFound)
{
    const std::map<std::string, Expected> expected = ReadExpected();
    ASSERT_GT(expected.size(), 270u);
    // Found: a finding names the receiver; listed: as a dead address.
    Tally standardDead, freeTextDead, standardListed, freeTextListed, complaints, optOuts;
    std::vector<std::string> goodListed, missed;
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus + "/messages")) {
        const std::string file = entry.path().filename().string();
        const std::string message = *ReadWholeFile(entry.path().string(), 1 << 22);
        // The report arrives in the mailbox of the message's sender: its To.
        const ReplyVerdict verdict = ReadReplyMessage(message, SenderOf(message));
        bool listed = false, dead = false, complaint = false, optOut = false;
        // A report applies to one receiver; the others it names are found, not applied.
        const bool found = !verdict.findings.empty() || !verdict.alsoNamed.empty();
        for (const ReplyFinding& finding : verdict.findings) {
            listed |= BelongsOnList(finding);
            dead |= finding.kind == ReplyKind::HardBounce;
        }
        for (const std::vector<ReplyFinding>* findings : {&verdict.findings, &verdict.alsoNamed})
            for (const ReplyFinding& finding : *findings) {
                complaint |= finding.kind == ReplyKind::Complaint;
                optOut |= finding.kind == ReplyKind::Unsubscribe;
            }
        const auto row = expected.find(file);
        if (row == expected.end())
            continue;  // nothing known of its receivers
        const Expected& should = row->second;
        if (should.fine && listed)
            goodListed.push_back(file);
        if (should.dead) {
            const bool standard = IsStandardReport(message);
            (standard ? standardDead : freeTextDead).Count(found);
            (standard ? standardListed : freeTextListed).Count(dead);
            if (!found)
                missed.push_back(file);
        }
        if (should.complaint)
            complaints.Count(complaint);
        if (should.optOut)
            optOuts.Count(optOut);
    }
    std::printf(
        "good receivers listed: %zu; dead addresses found: %zu of %zu in standard reports, %zu of %zu in "
        "free text; listed as dead: %zu and %zu; complaints %zu of %zu; opt-outs %zu of %zu\n",
        goodListed.size(), standardDead.found, standardDead.of, freeTextDead.found, freeTextDead.of,
        standardListed.found, freeTextListed.found, complaints.found, complaints.of, optOuts.found,
        optOuts.of);
    EXPECT_EQ(goodListed, std::vector<std::string>{});
    EXPECT_GE(standardDead.Share(), 0.97) << testing::PrintToString(missed);
    EXPECT_GE(freeTextDead.Share(), 0.60) << testing::PrintToString(missed);
    // arf-11.eml names nobody: its complaint is about "Undisclosed Recipients".
    EXPECT_EQ(complaints.found, complaints.of - 1);
    EXPECT_EQ(optOuts.found, optOuts.of);
}

}  // namespace
