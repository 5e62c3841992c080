#include "core/replies/ReplyReport.h"

#include <algorithm>
#include <unordered_set>

#include "core/mail/Refusals.h"
#include "core/receivers/MailAddresses.h"
#include "core/replies/FreeTextBounce.h"
#include "core/replies/HeaderValues.h"
#include "core/replies/MimeMessage.h"
#include "core/replies/ReplyText.h"
#include "core/replies/SesNotification.h"

namespace {

// Bounces come at the top or wrapped once or twice; deeper is damage.
constexpr std::size_t kDeepestReport = 8;
constexpr std::size_t kMostEntities = 1000;
constexpr std::size_t kMostRecipientBlocks = 100000;
// The words of a notice that are read beside its fields.
constexpr std::size_t kLongestNotice = 4096;
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

bool IsStatusPart(const std::string& type)
{
    return type == "message/delivery-status" || type == "message/global-delivery-status" ||
        type == "message/feedback-report";
}

// The status part and the returned message of a message, wherever they
// stand in its multiparts (also without report-type, also in a
// multipart/mixed), searched without recursion and without entering a
// message/rfc822: the forwarded messages it holds come back for a look.
std::optional<Report> FindReportIn(std::string_view message, std::vector<std::string_view>* forwarded)
{
    std::optional<Report> report;
    std::optional<MimeEntity> returned;
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
        if (type.type.compare(0, 10, "multipart/") == 0) {
            // A receipt that the message was read, or another kind of report, is none of ours.
            const std::string reportType = LowerAscii(Trimmed(type.Parameter("report-type")));
            if ((type.type == "multipart/report" && !reportType.empty() && reportType != "delivery-status" &&
                 reportType != "feedback-report") ||
                next.depth + 1 >= kDeepestReport)
                continue;
            const std::vector<std::string_view> parts =
                SplitMultipart(entity.body, type.Parameter("boundary"));
            for (auto part = parts.rbegin(); part != parts.rend() && pending.size() < kMostEntities; ++part)
                pending.push_back({*part, next.depth + 1});
        } else if (IsStatusPart(type.type) && !report) {
            report = Report{type.type == "message/feedback-report", entity, {}};
        } else if (IsReturnedMessage(type.type) && !returned) {
            returned = entity;
            if (forwarded && type.type == "message/rfc822")
                forwarded->push_back(entity.body);
        }
    }
    if (report)
        report->returned = std::move(returned);
    return report;
}

// A report at the top, or one forwarded inside a message/rfc822 there.
std::optional<Report> FindReport(std::string_view message)
{
    std::vector<std::string_view> forwarded;
    if (std::optional<Report> report = FindReportIn(message, &forwarded))
        return report;
    for (const std::string_view inner : forwarded)
        if (std::optional<Report> report = FindReportIn(inner, nullptr))
            return report;
    return std::nullopt;
}

// "rfc822; <Ann@X.org>" (or "rfc/822", "utf-8", none) as "ann@x.org", or
// empty when it names no address.
std::string RecipientAddress(std::string_view value)
{
    const std::size_t semicolon = value.find(';');
    if (semicolon != std::string_view::npos)
        value = value.substr(semicolon + 1);
    return AddressOf(value);
}

struct RecipientBlock {
    std::string address;
    ReplyKind kind = ReplyKind::SoftBounce;
    std::string evidence;
    std::string hint;
};

// A per-recipient block: a failed, delayed or expired delivery, else nothing.
std::optional<RecipientBlock> ReadRecipientBlock(const HeaderFields& block, std::string_view notice)
{
    const std::string* action = FindField(block, "action");
    const std::string* statusField = FindField(block, "status");
    const std::string* diagnostic = FindField(block, "diagnostic-code");
    const std::string what = action ? LowerAscii(FirstWord(WithoutComments(*action))) : std::string();
    const std::string status =
        statusField ? std::string(FirstWord(WithoutComments(*statusField))) : std::string();
    const std::string words = diagnostic ? *diagnostic : std::string();
    // The notice above the fields may tell more than they do (a full disk
    // behind a "user unknown").
    const std::string told = words + "\n" + std::string(notice);
    RecipientBlock read;
    if (what == "delayed" || what == "expired") {
        read.kind = ReplyKind::SoftBounce;
    } else if (what == "failed" || (what.empty() && !status.empty())) {
        switch (ClassifyRefusal(status, told)) {
        case Refusal::Delivered: return std::nullopt;
        case Refusal::DeadAddress: read.kind = ReplyKind::HardBounce; break;
        case Refusal::Policy:
            read.kind = ReplyKind::Refused;
            read.hint = PolicyHint(status, words);
            break;
        case Refusal::Temporary: read.kind = ReplyKind::SoftBounce; break;
        }
    } else {
        return std::nullopt;
    }
    // The address the message was sent to, before any forwarding.
    for (const char* name : {"original-recipient", "final-recipient", "x-actual-recipient"}) {
        const std::string* recipient = FindField(block, name);
        if (recipient && read.address.empty())
            read.address = RecipientAddress(*recipient);
    }
    if (read.address.empty())
        return std::nullopt;
    read.evidence = OneLine(status + " " + words);
    return read;
}

std::vector<RecipientBlock> ReadDeliveryStatus(std::string_view text, std::string_view notice)
{
    std::vector<RecipientBlock> blocks;
    for (std::size_t read = 0; !text.empty() && read < kMostRecipientBlocks; ++read)
        if (std::optional<RecipientBlock> block = ReadRecipientBlock(ReadFields(text), notice))
            blocks.push_back(std::move(*block));
    return blocks;
}

std::vector<RecipientBlock> ReadFeedbackReport(std::string_view text, const ReturnedMessage& returned)
{
    HeaderFields fields;
    while (fields.empty() && !text.empty())
        fields = ReadFields(text);  // after blank lines some senders leave
    const std::string* typeField = FindField(fields, "feedback-type");
    const std::string type = typeField ? LowerAscii(FirstWord(WithoutComments(*typeField))) : "abuse";
    RecipientBlock block;
    block.evidence = OneLine(type);
    block.kind = type == "abuse" || type == "fraud"   ? ReplyKind::Complaint
        : type == "opt-out" || type == "opt-out-list" ? ReplyKind::Unsubscribe
                                                      : ReplyKind::Report;
    std::vector<RecipientBlock> named;
    for (const char* name : {"removal-recipient", "original-rcpt-to"})
        for (const HeaderField& field : fields)
            if (field.name == name && !(block.address = RecipientAddress(field.value)).empty())
                named.push_back(block);
    if (!named.empty())
        return named;
    for (const std::string& address : returned.to) {
        block.address = address;
        named.push_back(block);
    }
    return named;
}

// The one receiver a report is about: the one its returned message was sent
// to, or the only one it names.
std::optional<RecipientBlock> TheReceiver(std::vector<RecipientBlock>& named, const ReturnedMessage& returned,
                                          std::vector<RecipientBlock>& others)
{
    std::vector<RecipientBlock> distinct;
    std::unordered_set<std::string> seen;
    for (RecipientBlock& block : named)
        if (seen.insert(block.address).second)
            distinct.push_back(std::move(block));
    const auto sentTo =
        std::find_if(distinct.begin(), distinct.end(), [&returned](const RecipientBlock& block) {
            return returned.to.size() == 1 && block.address == returned.to.front();
        });
    // Else the one whose failure decides alone, when only one does.
    const auto decides = [](const RecipientBlock& block) {
        return block.kind == ReplyKind::HardBounce || block.kind == ReplyKind::Complaint ||
            block.kind == ReplyKind::Unsubscribe;
    };
    const auto firstDeciding = std::find_if(distinct.begin(), distinct.end(), decides);
    auto chosen = distinct.end();
    if (distinct.size() == 1)
        chosen = distinct.begin();
    else if (sentTo != distinct.end())
        chosen = sentTo;
    else if (std::count_if(distinct.begin(), distinct.end(), decides) == 1)
        chosen = firstDeciding;
    std::optional<RecipientBlock> one;
    for (auto block = distinct.begin(); block != distinct.end(); ++block)
        if (block == chosen)
            one = std::move(*block);
        else
            others.push_back(std::move(*block));
    return one;
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
    const ReturnedMessage answered = RepliedTo(fields);
    finding.messageId = answered.messageId;
    finding.ours = answered.ours;
    return finding;
}

ReplyFinding FindingOf(RecipientBlock block, const ReturnedMessage& returned)
{
    ReplyFinding finding;
    finding.address = std::move(block.address);
    finding.kind = block.kind;
    finding.evidence = std::move(block.evidence);
    finding.hint = std::move(block.hint);
    finding.messageId = OneLine(returned.messageId);
    finding.ours = returned.ours;
    finding.returnedTo = returned.to.size() == 1 ? returned.to.front() : std::string();
    finding.returnedSubject = returned.subject;
    finding.returnedDate = returned.date;
    return finding;
}

// A report, in fields or in words: the receiver it is about.
bool ReadReport(std::string_view message, const MimeEntity& top, const std::string& senderAddress,
                ReplyVerdict& verdict)
{
    // A receipt that the message was read is no bounce, in fields or in words.
    const ContentType type = ReadContentType(top.fields);
    const std::string reportType = LowerAscii(Trimmed(type.Parameter("report-type")));
    if (type.type == "multipart/report" && !reportType.empty() && reportType != "delivery-status" &&
        reportType != "feedback-report")
        return false;
    std::vector<RecipientBlock> named;
    ReturnedMessage returned;
    if (std::optional<Report> report = FindReport(message)) {
        returned = ReadReturned(report->returned);
        std::string storage;
        const std::string_view text = DecodedBody(report->status, storage);
        named = report->feedback ? ReadFeedbackReport(text, returned)
                                 : ReadDeliveryStatus(text, PlainText(top).substr(0, kLongestNotice));
    } else if (std::optional<SesNotification> ses = ReadSesNotification(PlainText(top))) {
        returned = std::move(ses->returned);
        for (SesFailure& failure : ses->failures)
            named.push_back({std::move(failure.address), failure.kind, std::move(failure.evidence),
                             std::move(failure.hint)});
    } else if (std::optional<FreeTextBounce> bounce = ReadFreeTextBounce(message, senderAddress)) {
        returned = std::move(bounce->returned);
        for (FreeTextFailure& failure : bounce->failures)
            named.push_back({std::move(failure.address), failure.kind, std::move(failure.evidence),
                             std::move(failure.hint)});
    } else {
        return false;
    }
    // Exim names the bounced message in References, also when it returns none.
    if (returned.ours != OurMessage::Yes) {
        const ReturnedMessage replied = RepliedTo(top.fields);
        if (replied.ours == OurMessage::Yes) {
            returned.messageId = replied.messageId;
            returned.ours = OurMessage::Yes;
        }
    }
    std::vector<RecipientBlock> others;
    if (std::optional<RecipientBlock> block = TheReceiver(named, returned, others))
        verdict.findings.push_back(FindingOf(std::move(*block), returned));
    for (RecipientBlock& other : others)
        verdict.alsoNamed.push_back(FindingOf(std::move(other), returned));
    return true;
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

    if (ReadReport(message, top, senderAddress, verdict)) {
        verdict.recognised = true;
    } else if (std::optional<ReplyFinding> finding = UnsubscribeFinding(top.fields, senderAddress)) {
        verdict.recognised = true;
        verdict.unsubscribe = true;
        finding->messageId = OneLine(finding->messageId);
        verdict.findings.push_back(std::move(*finding));
    } else {
        verdict.other = OtherReplyOf(top);
    }
    for (ReplyFinding& finding : verdict.findings) {
        finding.when = when;
        verdict.unsubscribe = verdict.unsubscribe || finding.kind == ReplyKind::Unsubscribe;
    }
    return verdict;
}

const char* ReplyKindText(ReplyKind kind)
{
    switch (kind) {
    case ReplyKind::HardBounce: return "hard bounce";
    case ReplyKind::SoftBounce: return "soft bounce";
    case ReplyKind::Refused: return "refused by policy";
    case ReplyKind::Complaint: return "complaint";
    case ReplyKind::Unsubscribe: return "unsubscribed";
    case ReplyKind::Report: return "report";
    }
    return "";
}
