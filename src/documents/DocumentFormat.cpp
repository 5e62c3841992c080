#include "documents/DocumentFormat.h"

#include <array>
#include <cctype>
#include <climits>
#include <string_view>

#include "documents/TextEncoding.h"

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

std::string RecordValue(const Record& record, const FormValues& form, int receiverDelimiter)
{
    switch (record.kind) {
    case RecordKind::Text: return form.*record.text;
    case RecordKind::Choice: return std::to_string(form.*record.index);
    case RecordKind::Check: return form.trialAvailable ? "1" : "0";
    case RecordKind::Delimiter: return std::to_string(receiverDelimiter);
    }
    return {};
}

bool IsCSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

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

// Reads one record at pos and moves pos past it; nullopt when the
// document is damaged there.
std::optional<std::string_view> NextValue(std::string_view text, std::size_t& pos)
{
    const std::string_view rest = text.substr(pos);
    const std::size_t space = rest.substr(0, kMaxLengthText + 1).find(' ');
    if (space == std::string_view::npos)
        return std::nullopt;  // ended early, no space, or an overlong length text
    const std::string_view lengthText = rest.substr(0, space);
    if (lengthText.find_first_of("0123456789") == std::string_view::npos)
        return std::nullopt;  // never written by the program: not a length
    const long long length = ParseLeadingNumber(lengthText, LLONG_MAX / 10 - 9);
    const std::size_t available = rest.size() - space - 1;
    if (length < 0 || static_cast<unsigned long long>(length) > available)
        return std::nullopt;
    pos += space + 1 + static_cast<std::size_t>(length);
    std::string_view value = rest.substr(space + 1, static_cast<std::size_t>(length));
    return value.substr(0, value.find('\0'));
}

void ApplyRecord(const Record& record, std::string_view value, FormValues& form,
                 DocumentReadOutcome& outcome)
{
    switch (record.kind) {
    case RecordKind::Text:
        form.*record.text = Utf8FromUtf8OrWindows1252(std::string(value));
        break;
    case RecordKind::Choice: form.*record.index = ParseInt(value); break;
    case RecordKind::Check: form.trialAvailable = ParseInt(value) != 0; break;
    case RecordKind::Delimiter: outcome.receiverDelimiter = ParseInt(value); break;
    }
}

}  // namespace

std::string WriteDocumentBytes(const FormValues& form, int receiverDelimiter)
{
    std::string bytes;
    for (const Record& record : kRecords) {
        const std::string value = RecordValue(record, form, receiverDelimiter);
        bytes += std::to_string(value.size());
        bytes += ' ';
        bytes += LfToCrLf(value);
    }
    return bytes;
}

DocumentReadOutcome ReadDocumentBytes(const std::string& bytes, FormValues& form)
{
    const std::string text = CrLfToLf(bytes);
    DocumentReadOutcome outcome;
    std::size_t pos = 0;
    for (const Record& record : kRecords) {
        const std::optional<std::string_view> value = NextValue(text, pos);
        if (!value) {
            outcome.damaged = true;
            break;
        }
        ApplyRecord(record, *value, form, outcome);
        ++outcome.recordsApplied;
    }
    return outcome;
}
