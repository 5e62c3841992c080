#include "core/replies/MboxSplitter.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::string_view kFromMark = "From ";
// The date stands near the line's start; a longer line is not kept whole.
constexpr std::size_t kLongestFromLine = 1024;

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t begin = line.find_first_not_of(" \t\r\n", at);
        if (begin == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t\r\n", begin), line.size());
        words.push_back(line.substr(begin, end - begin));
        at = end;
    }
    return words;
}

int IndexOf(std::string_view word, const char* const (&names)[12], int count)
{
    for (int i = 0; i < count; ++i)
        if (word == names[i])
            return i;
    return -1;
}

int MonthOf(std::string_view word)
{
    static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return IndexOf(word, kMonths, 12);
}

bool IsWeekday(std::string_view word)
{
    static const char* const kDays[12] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return IndexOf(word, kDays, 7) >= 0;
}

// Digits only, at most four of them; -1 otherwise.
int Number(std::string_view text)
{
    if (text.empty() || text.size() > 4)
        return -1;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
long long DaysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// "08:25:23" or "08:25" in seconds; -1 otherwise.
long long SecondsOfDay(std::string_view text)
{
    int parts[3] = {0, 0, 0};
    int count = 0;
    for (std::size_t at = 0; count < 3; ++count) {
        const std::size_t colon = std::min(text.find(':', at), text.size());
        parts[count] = Number(text.substr(at, colon - at));
        if (parts[count] < 0)
            return -1;
        at = colon + 1;
        if (colon == text.size()) {
            ++count;
            break;
        }
    }
    if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 60)
        return -1;
    return parts[0] * 3600LL + parts[1] * 60LL + parts[2];
}

}  // namespace

std::time_t FromLineTime(std::string_view line)
{
    const std::vector<std::string_view> words = Words(line);
    for (std::size_t i = 1; i + 4 < words.size(); ++i) {
        if (!IsWeekday(words[i]))
            continue;
        const int month = MonthOf(words[i + 1]);
        const int day = Number(words[i + 2]);
        const long long seconds = SecondsOfDay(words[i + 3]);
        // Some writers put a time zone before the year.
        int year = Number(words[i + 4]);
        if (year < 1000 && i + 5 < words.size())
            year = Number(words[i + 5]);
        if (month < 0 || day < 1 || day > 31 || seconds < 0 || year < 1970)
            return -1;
        return static_cast<std::time_t>(DaysFromCivil(year, month + 1, day) * 86400 + seconds);
    }
    return -1;
}

MboxSplitter::MboxSplitter(std::time_t since, std::size_t largest, TakeMessage take)
    : since_(since), largest_(largest), take_(std::move(take))
{
}

void MboxSplitter::Take(std::string_view piece)
{
    while (!piece.empty() && !Stopped()) {
        const std::size_t lineEnd = piece.find('\n');
        const std::size_t length = lineEnd == std::string_view::npos ? piece.size() : lineEnd + 1;
        TakePart(piece.substr(0, length), lineEnd != std::string_view::npos);
        piece.remove_prefix(length);
    }
}

void MboxSplitter::Finish()
{
    if (Stopped())
        return;
    if (kind_ == LineKind::Undecided && !head_.empty())
        Decide();
    if (kind_ != LineKind::Undecided && !Stopped())
        EndLine();
    if (!Stopped())
        EndMessage();
}

// Only a line's first five bytes are looked at before its kind is known;
// the rest goes straight on, so a line of a gigabyte is never held.
void MboxSplitter::TakePart(std::string_view part, bool endsLine)
{
    if (kind_ == LineKind::Undecided) {
        const std::string_view first = part.substr(0, kFromMark.size() - head_.size());
        head_.append(first);
        part.remove_prefix(first.size());
        if (head_.size() < kFromMark.size() && !endsLine)
            return;
        Decide();
        if (Stopped())
            return;
    }
    if (kind_ == LineKind::Separator)
        fromLine_.append(part.substr(0, kLongestFromLine - std::min(fromLine_.size(), kLongestFromLine)));
    else
        Append(part);
    if (endsLine)
        EndLine();
}

void MboxSplitter::Decide()
{
    lineIsBlank_ = head_ == "\n" || head_ == "\r\n";
    if (head_ == kFromMark && blankBefore_) {
        kind_ = LineKind::Separator;
        fromLine_ = head_;
    } else if (!inMessage_) {
        notMbox_ = true;
    } else {
        kind_ = LineKind::Body;
        Append(head_);
    }
    head_.clear();
}

void MboxSplitter::EndLine()
{
    if (kind_ == LineKind::Separator) {
        EndMessage();
        inMessage_ = true;
        message_.clear();
        oversize_ = false;
        const std::time_t when = FromLineTime(fromLine_);
        skipping_ = when != -1 && when < since_;
        fromLine_.clear();
    }
    blankBefore_ = lineIsBlank_;
    kind_ = LineKind::Undecided;
}

void MboxSplitter::Append(std::string_view bytes)
{
    if (!inMessage_ || skipping_ || oversize_)
        return;
    // Two bytes more for the blank line that parts it from the next.
    if (message_.size() + bytes.size() > largest_ + 2) {
        oversize_ = true;
        std::string().swap(message_);
        return;
    }
    message_.append(bytes);
}

void MboxSplitter::EndMessage()
{
    if (!inMessage_ || skipping_ || stopped_)
        return;
    if (oversize_) {
        ++tooLarge_;
        return;
    }
    const auto endsWith = [this](std::string_view end) {
        return message_.size() >= end.size() &&
            message_.compare(message_.size() - end.size(), end.size(), end) == 0;
    };
    if (endsWith("\r\n\r\n"))
        message_.resize(message_.size() - 2);
    else if (endsWith("\n\n"))
        message_.pop_back();
    if (message_.empty())
        return;
    if (message_.size() > largest_) {
        ++tooLarge_;
        return;
    }
    if (!take_(message_, index_++))
        stopped_ = true;
}
