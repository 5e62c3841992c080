#include "core/documents/DocumentFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/documents/DocumentText.h"
#include "core/documents/TextEncoding.h"
#include "core/form/FormFields.h"

namespace {

enum class RecordKind { Text, Choice, Check, Delimiter };

struct Record {
    RecordKind kind;
    std::string FormValues::*text = nullptr;
    int FormValues::*index = nullptr;
};

// File order; the delimiter comes after the contact fields and the
// receivers text is last.
const std::array<Record, kDocumentRecordCount> kRecords = {{
    {RecordKind::Text, &FormValues::productName},
    {RecordKind::Text, &FormValues::productVersion},
    {RecordKind::Text, &FormValues::price},
    {RecordKind::Text, &FormValues::operatingSystem},
    {RecordKind::Text, &FormValues::imageUrl},
    {RecordKind::Text, &FormValues::featuresText},
    {RecordKind::Choice, nullptr, &FormValues::productType},
    {RecordKind::Text, &FormValues::otherTypeText},
    {RecordKind::Text, &FormValues::productUrl},
    {RecordKind::Check},
    {RecordKind::Choice, nullptr, &FormValues::trialKind},
    {RecordKind::Text, &FormValues::trialLimit},
    {RecordKind::Text, &FormValues::companyName},
    {RecordKind::Text, &FormValues::contactName},
    {RecordKind::Text, &FormValues::contactEmail},
    {RecordKind::Delimiter},
    {RecordKind::Text, &FormValues::receivers},
}};

// A length text longer than this is damage, not a length.
constexpr std::size_t kMaxLengthText = 1023;

// The value of a record that holds a number.
std::string NumberValue(const Record& record, const FormValues& form, int receiverDelimiter)
{
    switch (record.kind) {
    case RecordKind::Text: return {};
    case RecordKind::Choice: return std::to_string(form.*record.index);
    case RecordKind::Check: return form.trialAvailable ? "1" : "0";
    case RecordKind::Delimiter: return std::to_string(receiverDelimiter);
    }
    return {};
}

bool IsCSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// As strtol reads a number: leading white space, an optional sign, then
// decimal digits up to the first non-digit; no digits give 0. Numbers
// beyond the range of int are held at its ends.
long long ParseLeadingNumber(std::string_view text, long long limit)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (text[i] - '0');
    return negative ? -magnitude : magnitude;
}

int ParseInt(std::string_view text)
{
    const long long number = ParseLeadingNumber(text, INT_MAX);
    if (number > INT_MAX)
        return INT_MAX;
    if (number < INT_MIN)
        return INT_MIN;
    return static_cast<int>(number);
}

// How a record's value is read: copied out, or (the last record only)
// taken in the place of the bytes or passed over.
enum class ValueUse { Copy, TakeLast, SkipLast };

// Reads the length text of a record; nullopt when the document is damaged
// there.
std::optional<std::size_t> NextLength(DocumentText& text)
{
    std::string lengthText;
    if (!text.Read(kMaxLengthText + 1, &lengthText, ' ') || lengthText.back() != ' ')
        return std::nullopt;  // ended early, no space, or an overlong length text
    lengthText.pop_back();
    // The program writes lengths as plain decimal digits; anything else
    // ("12abc", "+5", " 7") was never written by it.
    if (lengthText.empty() || lengthText.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return static_cast<std::size_t>(ParseLeadingNumber(lengthText, LLONG_MAX / 10 - 9));
}

// Reads one record; nullopt when the document is damaged there. A value
// passed over comes back empty.
std::optional<std::string> NextValue(DocumentText& text, ValueUse use)
{
    const std::optional<std::size_t> length = NextLength(text);
    if (!length || *length > text.BytesLeft())
        return std::nullopt;  // no length, or one beyond the end
    const std::size_t count = *length;
    if (use == ValueUse::TakeLast)
        return text.TakeLast(count);
    if (use == ValueUse::SkipLast)
        return text.SkipLast(count) ? std::optional<std::string>(std::string()) : std::nullopt;
    std::string value;
    value.reserve(count);
    if (!text.Read(count, &value))
        return std::nullopt;  // beyond the end once line ends count as one
    return value;
}

// A text field shows its value up to a zero byte; the rest cannot be kept.
bool CutAtNul(std::string& value)
{
    const std::size_t nul = value.find('\0');
    if (nul == std::string::npos)
        return false;
    value.resize(nul);
    return true;
}

void ApplyRecord(const Record& record, std::string value, Document& document)
{
    const bool cut = CutAtNul(value);
    switch (record.kind) {
    case RecordKind::Text:
        if (cut)
            document.cutAtNul.emplace_back(TextFieldLabel(record.text));
        document.form.*record.text = Utf8FromUtf8OrWindows1252(std::move(value));
        break;
    case RecordKind::Choice: document.form.*record.index = ParseInt(value); break;
    case RecordKind::Check: document.form.trialAvailable = ParseInt(value) != 0; break;
    case RecordKind::Delimiter: document.receiverDelimiter = ParseInt(value); break;
    }
}

// The records before the last and the length of the last, from the bytes
// that begin a document.
struct DocumentHead {
    Document document;
    std::size_t lastLength = 0;
    std::size_t lastStart = 0;  // where the last value begins
};

// nullopt when the bytes do not hold all of it (yet), or it is damaged.
std::optional<DocumentHead> ReadHead(std::string_view bytes)
{
    DocumentText text{std::string(bytes)};
    DocumentHead head;
    for (const Record& record : kRecords) {
        if (&record == &kRecords.back()) {
            const std::optional<std::size_t> length = NextLength(text);
            if (!length)
                return std::nullopt;
            head.lastLength = *length;
            head.lastStart = text.Position();
            return head;
        }
        std::optional<std::string> value = NextValue(text, ValueUse::Copy);
        if (!value)
            return std::nullopt;
        ApplyRecord(record, std::move(*value), head.document);
    }
    return std::nullopt;
}

}  // namespace

bool WriteDocumentPieces(const FormValues& form, int receiverDelimiter, const PutDocumentPiece& put)
{
    // Megabytes go out in slices, each turned into CR LF in a piece small
    // enough to stay in the processor's cache.
    constexpr std::size_t kSlice = 128 * 1024;
    std::string piece;
    std::string number;
    for (const Record& record : kRecords) {
        // Texts are taken where they are: the receivers may be megabytes.
        if (record.kind != RecordKind::Text)
            number = NumberValue(record, form, receiverDelimiter);
        const std::string_view value = record.kind == RecordKind::Text ? form.*record.text : number;
        piece += std::to_string(value.size());
        piece += ' ';
        for (std::size_t from = 0; from < value.size(); from += kSlice) {
            AppendLfAsCrLf(piece, value.substr(from, kSlice));
            if (piece.size() >= kSlice) {
                if (!put(piece))
                    return false;
                piece.clear();
            }
        }
    }
    return piece.empty() || put(piece);
}

std::string WriteDocumentBytes(const FormValues& form, int receiverDelimiter)
{
    std::string bytes;
    // Room for the carriage return each line feed gains, so that the
    // megabytes are never moved on the way.
    const auto lineFeeds = [](const std::string& text) { return CountByte(text, '\n'); };
    bytes.reserve(form.receivers.size() + lineFeeds(form.receivers) + form.featuresText.size() +
                  lineFeeds(form.featuresText) + 4096);
    [[maybe_unused]] const bool whole =
        WriteDocumentPieces(form, receiverDelimiter, [&bytes](std::string_view piece) {
            bytes.append(piece);
            return true;
        });
    return bytes;
}

Result<Document> ReadDocumentBytes(std::string_view bytes, ReceiversText receivers)
{
    return ReadDocumentTakingBytes(std::string(bytes), receivers);
}

Result<Document> ReadDocumentTakingBytes(std::string bytes, ReceiversText receivers)
{
    DocumentText text(std::move(bytes));
    Document document;
    for (const Record& record : kRecords) {
        // The receivers are the last record.
        const bool last = &record == &kRecords.back();
        const bool skip = last && receivers == ReceiversText::Skip;
        const ValueUse use = skip ? ValueUse::SkipLast : last ? ValueUse::TakeLast : ValueUse::Copy;
        std::optional<std::string> value = NextValue(text, use);
        if (!value)
            return Failure::Damaged;
        if (use != ValueUse::SkipLast)
            ApplyRecord(record, std::move(*value), document);
    }
    return document;
}

void DocumentWithoutReceivers::Take(std::string_view piece)
{
    if (document_) {
        PassLast(piece);
        return;
    }
    head_.append(piece);
    // Tried again only once the bytes have doubled, so that a long field
    // before the receivers is not read over and over.
    if (head_.size() >= nextTry_)
        TryHead();
}

Result<Document> DocumentWithoutReceivers::Finish()
{
    if (!document_)
        TryHead();
    if (!document_ || lastLeft_ > 0)
        return Failure::Damaged;
    return *std::move(document_);
}

void DocumentWithoutReceivers::TryHead()
{
    std::optional<DocumentHead> head = ReadHead(head_);
    if (!head) {
        nextTry_ = 2 * head_.size();
        return;
    }
    document_ = std::move(head->document);
    lastLength_ = head->lastLength;
    lastLeft_ = head->lastLength;
    PassLast(std::string_view(head_).substr(head->lastStart));
    head_ = std::string();
}

// Each character takes one byte, or two for a CR LF pair, also one whose
// line feed comes in the next piece: a pair that ends the value ends it at
// its line feed.
void DocumentWithoutReceivers::PassLast(std::string_view piece)
{
    if (piece.empty())
        return;
    std::size_t end = lastEndedInCr_ && piece.front() == '\n' ? 1 : 0;
    lastEndedInCr_ = false;
    const std::string_view rest = piece.substr(end);
    if (lastLeft_ > 0 && !rest.empty()) {
        const std::size_t characters = rest.size() - CountCrLf(rest);
        if (characters <= lastLeft_) {
            lastLeft_ -= characters;
            end = piece.size();
            lastEndedInCr_ = piece.back() == '\r';
        } else {
            // The value ends in this piece; more characters follow its last.
            std::size_t i = 0;
            for (; lastLeft_ > 0; --lastLeft_)
                i += rest[i] == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n' ? 2 : 1;
            end += i;
        }
    }
    if (pass_ && end > 0)
        pass_(*document_, lastLength_, piece.substr(0, end));
}
