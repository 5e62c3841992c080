#include "core/documents/StoredReceivers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/release/ReceiverList.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum class ByteKind : unsigned char { Plain, Separator, At };

constexpr std::array<ByteKind, 256> MakeByteKinds()
{
    std::array<ByteKind, 256> kinds{};
    for (int c = 0; c < 256; ++c)
        kinds[c] = c == '@'                            ? ByteKind::At
            : IsAddressSeparator(static_cast<char>(c)) ? ByteKind::Separator
                                                       : ByteKind::Plain;
    return kinds;
}

constexpr std::array<ByteKind, 256> kByteKinds = MakeByteKinds();

// Small enough to stay in the processor's cache while it is passed on.
constexpr std::size_t kPassedBytes = 256 * 1024;

#if defined(__SSE2__)
// One bit for each of 16 bytes that is an "@", and for each that is a
// separator.
struct Marks {
    unsigned ats;
    unsigned separators;
};

Marks MarkedBytes(const char* sixteen)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen));
    const auto is = [&bytes](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
    const __m128i separators =
        _mm_or_si128(_mm_or_si128(_mm_or_si128(is(' '), is(',')), _mm_or_si128(is(';'), is('\t'))), is('\n'));
    return {static_cast<unsigned>(_mm_movemask_epi8(is('@'))),
            static_cast<unsigned>(_mm_movemask_epi8(separators))};
}
#endif

// ats: one bit for each "@" among some bytes of a run that has count so far.
unsigned CountAts(unsigned count, unsigned ats)
{
    return std::min(2u, count + (ats != 0 ? 1u : 0u) + ((ats & (ats - 1)) != 0 ? 1u : 0u));
}

unsigned CountAts(std::string_view run)
{
    const std::size_t first = run.find('@');
    return first == std::string_view::npos ? 0 : run.find('@', first + 1) == std::string_view::npos ? 1 : 2;
}

// Whether a run of stored holds two at signs. atInRun: whether the run
// going on where stored begins has one, and then where it ends.
bool RunWithSeveralAts(std::string_view stored, bool& atInRun)
{
    bool several = false;
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= stored.size(); i += 16) {
        const auto [ats, separators] = MarkedBytes(stored.data() + i);
        if ((ats & (ats - 1)) == 0) {
            // None or one: it joins an earlier one when no separator is
            // before it.
            const unsigned below = ats - 1;
            several |= ats != 0 && atInRun && (separators & below) == 0;
            atInRun = ats != 0 ? (separators & ~below) == 0 : atInRun && separators == 0;
            continue;
        }
        for (unsigned marks = ats | separators; marks != 0; marks &= marks - 1) {
            const bool at = ((ats >> std::countr_zero(marks)) & 1) != 0;
            several |= at && atInRun;
            atInRun = at;
        }
    }
#endif
    for (; i < stored.size(); ++i) {
        const ByteKind kind = kByteKinds[static_cast<unsigned char>(stored[i])];
        several |= kind == ByteKind::At && atInRun;
        atInRun = kind == ByteKind::At || (atInRun && kind == ByteKind::Plain);
    }
    return several;
}

std::size_t FirstSeparator(std::string_view text, std::size_t from = 0)
{
    while (from < text.size() && !IsAddressSeparator(text[from]))
        ++from;
    return from;
}

}  // namespace

// Read as Windows-1252 a value grows to at most three times its bytes, and
// the joined list only grows when it is converted.
StoredReceiverCollector::StoredReceiverCollector(int receiverDelimiter, std::size_t characters,
                                                 JoinedList list, TakeJoined pass)
    : separator_(ReceiverSeparator(receiverDelimiter)),
      mostBytes_(kMaxCollectedReceiversBytes + 6 * std::min(characters, SIZE_MAX / 8)), list_(list),
      pass_(std::move(pass))
{
    // A list one address a line joins to about its own size; growing the
    // list instead would copy it and touch twice the fresh memory. The
    // length is not yet known to be true: a damaged one may be huge.
    const std::size_t likely = std::min(characters, kMaxDocumentBytes);
    if (list_ == JoinedList::Held)
        joined_.reserve(likely + likely / 8);
    else if (list_ == JoinedList::Passed)
        passing_ = std::make_unique_for_overwrite<char[]>(2 * kPassedBytes);
}

void StoredReceiverCollector::Take(std::string_view stored)
{
    if (cut_ || stored.empty())
        return;
    // The text field ends at a zero byte; what follows is never read.
    if (const void* nul = std::memchr(stored.data(), '\0', stored.size())) {
        stored = stored.substr(0, static_cast<const char*>(nul) - stored.data());
        cut_ = true;
        if (stored.empty())
            return;
    }
    scan_.Take(stored);
    if (list_ == JoinedList::Checked) {
        severalAts_ |= RunWithSeveralAts(stored, atInRun_);
        return;
    }
    const bool crBefore = endedInCr_;
    endedInCr_ = stored.back() == '\r';
    if (tooLarge_)
        return;  // the number of pairs no longer matters
    // The run cut off by the previous piece ends in this one, or goes on.
    const std::size_t first = FirstSeparator(stored);
    if (first == stored.size()) {
        carry_.append(stored);
        return;
    }
    carry_.append(stored.substr(0, first));
    // Every pair ends at a separator: they are counted there.
    const bool pair = stored[first] == '\n' && (first > 0 ? stored[first - 1] == '\r' : crBefore);
    pairs_ += pair ? 1 : 0;
    TakeRun(carry_, CountAts(carry_), pair);
    carry_.clear();
    std::size_t last = stored.size() - 1;
    while (!IsAddressSeparator(stored[last]))
        --last;
    // Whole runs between the first and the last separator are read in
    // place; only the separators and the at signs are looked at.
    const std::string_view runs = stored.substr(first + 1, last - first);
    RunState state;
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= runs.size(); i += 16) {
        auto [ats, separators] = MarkedBytes(runs.data() + i);
        for (; separators != 0; separators &= separators - 1) {
            const int at = std::countr_zero(separators);
            const unsigned before = (1u << at) - 1;
            state.ats = CountAts(state.ats, ats & before);
            ats &= ~before;
            EndRun(runs, i + at, state);
        }
        state.ats = CountAts(state.ats, ats);
    }
#endif
    for (; i < runs.size(); ++i) {
        const ByteKind kind = kByteKinds[static_cast<unsigned char>(runs[i])];
        if (kind == ByteKind::At)
            state.ats = CountAts(state.ats, 1);
        else if (kind == ByteKind::Separator)
            EndRun(runs, i, state);
    }
    carry_.assign(stored.substr(last + 1));
}

// At a separator the run before it ends and its addresses are taken.
void StoredReceiverCollector::EndRun(std::string_view runs, std::size_t i, RunState& state)
{
    const bool pair = runs[i] == '\n' && i > state.begin && runs[i - 1] == '\r';
    pairs_ += pair ? 1 : 0;
    TakeRun(runs.substr(state.begin, i - state.begin), state.ats, pair);
    state = RunState{i + 1};
}

// A carriage return before a line feed belongs to the pair stored for it.
// Only an "@" is consumed: each one after the first starts an address of
// the same run just after the one before it.
void StoredReceiverCollector::TakeRun(std::string_view run, unsigned ats, bool endsInPair)
{
    if (ats == 0)
        return;
    if (endsInPair)
        run.remove_suffix(1);
    Append(run);
    if (ats > 1)
        TakeSeveralAts(run);
}

// Runs are short: a plain loop, not a call to find each "@".
void StoredReceiverCollector::TakeSeveralAts(std::string_view run)
{
    severalAts_ = true;
    std::size_t previous = run.find('@');
    for (std::size_t i = previous + 1; i < run.size() && !tooLarge_; ++i) {
        if (run[i] == '@') {
            Append(run.substr(previous + 1));
            previous = i;
        }
    }
}

void StoredReceiverCollector::Append(std::string_view address)
{
    const std::string_view separator = first_ ? std::string_view() : std::string_view(separator_);
    const std::size_t added = separator.size() + address.size();
    if (joinedBytes_ + added > mostBytes_) {
        tooLarge_ = true;
        joined_ = std::string();
        return;
    }
    joinedBytes_ += added;
    first_ = false;
    if (list_ == JoinedList::Held) {
        joined_.append(separator).append(address);
        return;
    }
    // Less than a piece is waiting, so there is room for a piece more.
    if (added > kPassedBytes) {
        PassOn();
        pass_(separator);
        pass_(address);
        return;
    }
    char* const end = passing_.get() + passingBytes_;
    std::copy(separator.begin(), separator.end(), end);
    std::memcpy(end + separator.size(), address.data(), address.size());
    passingBytes_ += added;
    if (passingBytes_ >= kPassedBytes)
        PassOn();
}

void StoredReceiverCollector::PassOn()
{
    if (passingBytes_ > 0)
        pass_(std::string_view(passing_.get(), passingBytes_));
    passingBytes_ = 0;
}

// The run after the last separator, and the bound on a list that needs no
// converting.
Result<> StoredReceiverCollector::TakeLastRun()
{
    if (!tooLarge_)
        TakeRun(carry_, CountAts(carry_), false);
    carry_ = std::string();
    if (tooLarge_)
        return Failure::TooLarge;
    // The limit counts the bytes of the value as read, not as stored.
    if (scan_.Valid() && joinedBytes_ > kMaxCollectedReceiversBytes + 2 * (scan_.Bytes() - pairs_))
        return Failure::TooLarge;
    return Done();
}

Result<std::string> StoredReceiverCollector::Finish()
{
    if (const Result<> last = TakeLastRun(); !last)
        return last.failure();
    if (scan_.Valid())
        return std::move(joined_);
    std::string converted = Utf8FromWindows1252(joined_);
    if (converted.size() > kMaxCollectedReceiversBytes + 2 * (scan_.Windows1252Length() - pairs_))
        return Failure::TooLarge;
    return converted;
}

Result<PassedList> StoredReceiverCollector::FinishPassing()
{
    if (list_ == JoinedList::Checked)
        return PassedList{0, !scan_.Valid(), severalAts_};
    if (const Result<> last = TakeLastRun(); !last)
        return last.failure();
    if (list_ == JoinedList::Passed)
        PassOn();
    return PassedList{joinedBytes_, !scan_.Valid(), severalAts_};
}

ReceiversOfDocument::ReceiversOfDocument(std::optional<int> delimiter, JoinedList list, TakeJoined pass)
    : delimiter_(delimiter), list_(list), pass_(std::move(pass)),
      reader_([this](const Document& head, std::size_t characters, std::string_view stored) {
          if (!collector_)
              collector_.emplace(delimiter_.value_or(head.receiverDelimiter), characters, list_, pass_);
          collector_->Take(stored);
      })
{
}

Result<std::string> ReceiversOfDocument::Finish()
{
    if (!reader_.Finish())
        return Failure::Damaged;
    // An empty value never reaches a collector.
    return collector_ ? collector_->Finish() : std::string();
}

Result<PassedList> ReceiversOfDocument::FinishPassing()
{
    if (!reader_.Finish())
        return Failure::Damaged;
    return collector_ ? collector_->FinishPassing() : PassedList{};
}
