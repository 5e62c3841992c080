#include "core/replies/ReplyReport.h"

#include <optional>
#include <unordered_set>

#include "core/receivers/MailAddresses.h"
#include "core/replies/HeaderValues.h"
#include "core/replies/MimeMessage.h"

namespace {

// Bounces come at the top or wrapped once or twice; deeper is damage.
constexpr std::size_t kDeepestReport = 8;
constexpr std::size_t kMostEntities = 1000;
constexpr std::size_t kLongestEvidence = 300;
constexpr std::size_t kMostFindings = 100000;
// "unsubscribe" with room for blanks and encoded words; longer is another subject.
constexpr std::size_t kLongestSubject = 1000;

// The machine-readable part of a report and the message it is about.
struct Report {
    bool feedback = false;  // RFC 5965, else RFC 3464
    MimeEntity status;
    std::optional<MimeEntity> returned;
};

bool IsReturnedMessage(const std::string& type)
{
    return type == "message/rfc822" || type == "text/rfc822-headers" || type == "message/global" ||
        type == "message/global-headers";
}

std::optional<Report> ReadReportParts(const std::vector<std::string_view>& parts, bool feedback)
{
    std::optional<Report> report;
    std::optional<MimeEntity> returned;
    for (const std::string_view part : parts) {
        MimeEntity entity = ReadEntity(part);
        const std::string type = ReadContentType(entity.fields).type;
        const bool status = feedback
            ? type == "message/feedback-report"
            : type == "message/delivery-status" || type == "message/global-delivery-status";
        if (status && !report)
            report = Report{feedback, std::move(entity), {}};
        else if (IsReturnedMessage(type) && !returned)
            returned = std::move(entity);
    }
    if (report)
        report->returned = std::move(returned);
    return report;
}

// The first multipart/report of a kind we read, at the top or inside
// other multiparts, searched without recursion.
std::optional<Report> FindReport(std::string_view message)
{
    struct Pending {
        std::string_view text;
        std::size_t depth;
    };
    std::vector<Pending> pending{{message, 0}};
    for (std::size_t seen = 0; !pending.empty() && seen < kMostEntities; ++seen) {
        const Pending next = pending.back();
        pending.pop_back();
        const MimeEntity entity = ReadEntity(next.text);
        const ContentType type = ReadContentType(entity.fields);
        if (type.type.compare(0, 10, "multipart/") != 0)
            continue;
        const std::vector<std::string_view> parts = SplitMultipart(entity.body, type.Parameter("boundary"));
        const std::string reportType = LowerAscii(Trimmed(type.Parameter("report-type")));
        if (type.type == "multipart/report" &&
            (reportType == "delivery-status" || reportType == "feedback-report")) {
            if (std::optional<Report> report = ReadReportParts(parts, reportType == "feedback-report"))
                return report;
        }
        if (next.depth + 1 >= kDeepestReport)
            continue;
        for (auto part = parts.rbegin(); part != parts.rend() && pending.size() < kMostEntities; ++part)
            pending.push_back({*part, next.depth + 1});
    }
    return std::nullopt;
}

// "rfc822; <Ann@X.org>" as "ann@x.org", or empty when it names no address.
std::string RecipientAddress(std::string_view value)
{
    const std::size_t semicolon = value.find(';');
    if (semicolon != std::string_view::npos) {
        const std::string type = LowerAscii(Trimmed(value.substr(0, semicolon)));
        if (type != "rfc822" && type != "utf-8")
            return {};
        value = value.substr(semicolon + 1);
    }
    value = Trimmed(value);
    if (value.size() >= 2 && value.front() == '<' && value.back() == '>')
        value = Trimmed(value.substr(1, value.size() - 2));
    std::string address = LowerAscii(value);
    return AddressProblem(address).empty() ? address : std::string();
}

// One line: control characters as blanks, runs of blanks as one, cut to
// kLongestEvidence bytes without splitting a UTF-8 sequence.
std::string OneLine(std::string_view text)
{
    std::string line;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool blank = byte <= ' ' || byte == 0x7f;
        if (!blank)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
        if (line.size() > kLongestEvidence)
            break;
    }
    if (line.size() > kLongestEvidence) {
        std::size_t cut = kLongestEvidence;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xc0) == 0x80)
            --cut;
        line.resize(cut);
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

bool IsStatusCode(std::string_view status)
{
    const std::size_t dot = status.find('.');
    return status.size() >= 5 && (status[0] == '2' || status[0] == '4' || status[0] == '5') && dot == 1 &&
        status.find('.', 2) != std::string_view::npos;
}

bool IsOurMessageId(const std::string& id)
{
    const std::string lower = LowerAscii(id);
    const std::size_t at = lower.rfind('@');
    const std::string_view suffix = ".vantrel";
    return at != std::string::npos && at > suffix.size() && at + 1 < lower.size() &&
        lower.compare(at - suffix.size(), suffix.size(), suffix) == 0;
}

struct AnsweredMessage {
    std::string messageId;
    OurMessage ours = OurMessage::Unknown;
    HeaderFields fields;
};

AnsweredMessage ReadAnswered(const std::optional<MimeEntity>& returned)
{
    AnsweredMessage answered;
    if (!returned)
        return answered;
    std::string storage;
    std::string_view headers = DecodedBody(*returned, storage);
    answered.fields = ReadFields(headers);
    const std::string* field = FindField(answered.fields, "message-id");
    const std::vector<std::string> ids = field ? MessageIdsIn(*field) : std::vector<std::string>();
    if (!ids.empty()) {
        answered.messageId = ids.front();
        answered.ours = IsOurMessageId(ids.front()) ? OurMessage::Yes : OurMessage::No;
    }
    return answered;
}

// The message a reply answers, by its In-Reply-To and References: one of
// ours when any of them is, else unknown (a reply may answer anything).
AnsweredMessage RepliedTo(const HeaderFields& fields)
{
    AnsweredMessage answered;
    for (const char* name : {"in-reply-to", "references"}) {
        const std::string* value = FindField(fields, name);
        for (const std::string& id : value ? MessageIdsIn(*value) : std::vector<std::string>()) {
            if (answered.messageId.empty())
                answered.messageId = id;
            if (IsOurMessageId(id)) {
                answered.messageId = id;
                answered.ours = OurMessage::Yes;
                return answered;
            }
        }
    }
    return answered;
}

// A per-recipient block: a failed or delayed delivery, else nothing.
std::optional<ReplyFinding> RecipientFinding(const HeaderFields& block)
{
    const std::string* action = FindField(block, "action");
    if (!action)
        return std::nullopt;
    const std::string what = LowerAscii(FirstWord(WithoutComments(*action)));
    const std::string* statusField = FindField(block, "status");
    std::string status = statusField ? std::string(FirstWord(WithoutComments(*statusField))) : std::string();
    if (!IsStatusCode(status))
        status.clear();
    const std::string* diagnostic = FindField(block, "diagnostic-code");
    ReplyFinding finding;
    if (what == "failed") {
        // Without a status the SMTP reply tells; failing both, it may pass.
        const std::string_view reply = diagnostic
            ? FirstWord(Trimmed(std::string_view(*diagnostic).substr(diagnostic->find(';') + 1)))
            : std::string_view();
        const char digit = !status.empty() ? status[0] : reply.size() == 3 ? reply[0] : '4';
        finding.kind = digit == '5' ? ReplyKind::HardBounce : ReplyKind::SoftBounce;
    } else if (what == "delayed") {
        finding.kind = ReplyKind::SoftBounce;
    } else {
        return std::nullopt;
    }
    for (const char* name : {"final-recipient", "original-recipient"}) {
        const std::string* recipient = FindField(block, name);
        if (recipient && finding.address.empty())
            finding.address = RecipientAddress(*recipient);
    }
    if (finding.address.empty())
        return std::nullopt;
    finding.evidence = OneLine(status + " " + (diagnostic ? *diagnostic : std::string()));
    return finding;
}

void ReadDeliveryStatus(std::string_view text, std::vector<ReplyFinding>& findings)
{
    while (!text.empty() && findings.size() < kMostFindings) {
        if (std::optional<ReplyFinding> finding = RecipientFinding(ReadFields(text)))
            findings.push_back(std::move(*finding));
    }
}

void ReadFeedbackReport(std::string_view text, const AnsweredMessage& answered,
                        std::vector<ReplyFinding>& findings)
{
    HeaderFields fields;
    while (fields.empty() && !text.empty())
        fields = ReadFields(text);  // after blank lines some senders leave
    const std::string* type = FindField(fields, "feedback-type");
    ReplyFinding finding;
    finding.kind = ReplyKind::Complaint;
    finding.evidence = OneLine(type ? LowerAscii(FirstWord(WithoutComments(*type))) : std::string("abuse"));
    // RFC 6430: the receiver says the message is wanted.
    if (finding.evidence == "not-spam")
        return;
    std::unordered_set<std::string> named;
    const auto addOnce = [&](std::string address) {
        if (named.insert(address).second) {
            finding.address = std::move(address);
            findings.push_back(finding);
        }
    };
    for (const HeaderField& field : fields) {
        if (field.name != "original-rcpt-to")
            continue;
        std::string address = RecipientAddress(field.value);
        if (!address.empty())
            addOnce(std::move(address));
    }
    if (!findings.empty())
        return;
    for (const HeaderField& field : answered.fields) {
        if (field.name != "to")
            continue;
        for (std::string& address : AddressesIn(field.value))
            if (AddressProblem(address).empty())
                addOnce(std::move(address));
    }
}

bool AddressedTo(const HeaderFields& fields, const std::string& senderAddress)
{
    const std::string sender = LowerAscii(senderAddress);
    for (const HeaderField& field : fields) {
        if (field.name != "to" && field.name != "cc")
            continue;
        for (const std::string& address : AddressesIn(field.value))
            if (address == sender)
                return true;
    }
    return false;
}

std::optional<ReplyFinding> UnsubscribeFinding(const HeaderFields& fields, const std::string& senderAddress)
{
    const std::string* subject = FindField(fields, "subject");
    const std::string* from = FindField(fields, "from");
    if (!subject || !from || subject->size() > kLongestSubject || senderAddress.empty() ||
        LowerAscii(Trimmed(DecodeEncodedWords(*subject))) != "unsubscribe" ||
        !AddressedTo(fields, senderAddress))
        return std::nullopt;
    const std::vector<std::string> senders = AddressesIn(*from);
    if (senders.empty() || !AddressProblem(senders.front()).empty())
        return std::nullopt;
    ReplyFinding finding;
    finding.kind = ReplyKind::Unsubscribe;
    finding.address = senders.front();
    finding.evidence = "subject: unsubscribe";
    const AnsweredMessage answered = RepliedTo(fields);
    finding.messageId = answered.messageId;
    finding.ours = answered.ours;
    return finding;
}

}  // namespace

ReplyVerdict ReadReplyMessage(std::string_view message, const std::string& senderAddress)
{
    ReplyVerdict verdict;
    const MimeEntity top = ReadEntity(message);
    const std::string* id = FindField(top.fields, "message-id");
    const std::vector<std::string> ids = id ? MessageIdsIn(*id) : std::vector<std::string>();
    verdict.reportId = ids.empty() ? std::string() : OneLine(ids.front());
    const std::string* date = FindField(top.fields, "date");
    const std::time_t when = date ? ReadMailDate(*date) : 0;

    if (std::optional<Report> report = FindReport(message)) {
        verdict.recognised = true;
        AnsweredMessage answered = ReadAnswered(report->returned);
        // Exim names the bounced message in References, also when it returns none.
        if (answered.ours == OurMessage::Unknown) {
            const AnsweredMessage replied = RepliedTo(top.fields);
            if (replied.ours == OurMessage::Yes) {
                answered.messageId = replied.messageId;
                answered.ours = OurMessage::Yes;
            }
        }
        std::string storage;
        const std::string_view text = DecodedBody(report->status, storage);
        if (report->feedback)
            ReadFeedbackReport(text, answered, verdict.findings);
        else
            ReadDeliveryStatus(text, verdict.findings);
        for (ReplyFinding& finding : verdict.findings) {
            finding.messageId = OneLine(answered.messageId);
            finding.ours = answered.ours;
        }
    } else if (std::optional<ReplyFinding> finding = UnsubscribeFinding(top.fields, senderAddress)) {
        verdict.recognised = true;
        finding->messageId = OneLine(finding->messageId);
        verdict.findings.push_back(std::move(*finding));
    }
    for (ReplyFinding& finding : verdict.findings)
        finding.when = when;
    return verdict;
}

const char* ReplyKindText(ReplyKind kind)
{
    switch (kind) {
    case ReplyKind::HardBounce: return "hard bounce";
    case ReplyKind::SoftBounce: return "soft bounce";
    case ReplyKind::Complaint: return "complaint";
    case ReplyKind::Unsubscribe: return "unsubscribed";
    }
    return "";
}
