#include "core/documents/StoredReceivers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

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

#if defined(__SSE2__)
// One bit for each of 16 bytes that is a separator or an "@".
unsigned MarkedBytes(const char* sixteen)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen));
    const auto is = [&bytes](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
    const __m128i marked =
        _mm_or_si128(_mm_or_si128(_mm_or_si128(is(' '), is(',')), _mm_or_si128(is(';'), is('\t'))),
                     _mm_or_si128(is('\n'), is('@')));
    return static_cast<unsigned>(_mm_movemask_epi8(marked));
}
#endif

std::size_t FirstSeparator(std::string_view text, std::size_t from = 0)
{
    while (from < text.size() && !IsAddressSeparator(text[from]))
        ++from;
    return from;
}

}  // namespace

// Read as Windows-1252 a value grows to at most three times its bytes, and
// the joined list only grows when it is converted.
StoredReceiverCollector::StoredReceiverCollector(int receiverDelimiter, std::size_t characters)
    : separator_(ReceiverSeparator(receiverDelimiter)),
      mostBytes_(kMaxCollectedReceiversBytes + 6 * std::min(characters, SIZE_MAX / 8))
{
    // A list one address a line joins to about its own size; growing the
    // list instead would copy it and touch twice the fresh memory. The
    // length is not yet known to be true: a damaged one may be huge.
    const std::size_t likely = std::min(characters, kMaxDocumentBytes);
    joined_.reserve(likely + likely / 8);
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
    TakeRun(carry_, carry_.find('@'), pair);
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
    for (; i + 16 <= runs.size(); i += 16)
        for (unsigned marks = MarkedBytes(runs.data() + i); marks != 0; marks &= marks - 1)
            TakeMarked(runs, i + std::countr_zero(marks), state);
#endif
    for (; i < runs.size(); ++i)
        if (kByteKinds[static_cast<unsigned char>(runs[i])] != ByteKind::Plain)
            TakeMarked(runs, i, state);
    carry_.assign(stored.substr(last + 1));
}

// At an "@" the run it is in gains an address; at a separator that run
// ends and its addresses are taken.
void StoredReceiverCollector::TakeMarked(std::string_view runs, std::size_t i, RunState& state)
{
    if (runs[i] == '@') {
        if (state.firstAt == std::string_view::npos)
            state.firstAt = i - state.begin;
        else
            state.severalAts = true;
        return;
    }
    const bool pair = runs[i] == '\n' && i > state.begin && runs[i - 1] == '\r';
    pairs_ += pair ? 1 : 0;
    if (state.firstAt != std::string_view::npos)
        TakeRun(runs.substr(state.begin, i - state.begin), state.severalAts ? state.firstAt : kOneAt, pair);
    state = RunState{i + 1};
}

// A carriage return before a line feed belongs to the pair stored for it.
// Only an "@" is consumed: each one after the first starts an address of
// the same run just after the one before it.
void StoredReceiverCollector::TakeRun(std::string_view run, std::size_t firstAt, bool endsInPair)
{
    if (firstAt == std::string_view::npos)
        return;
    if (endsInPair)
        run.remove_suffix(1);
    Append(run);
    if (firstAt == kOneAt)
        return;
    // Runs are short: a plain loop, not a call to find each "@".
    std::size_t previous = firstAt;
    for (std::size_t i = firstAt + 1; i < run.size() && !tooLarge_; ++i) {
        if (run[i] == '@') {
            Append(run.substr(previous + 1));
            previous = i;
        }
    }
}

void StoredReceiverCollector::Append(std::string_view address)
{
    const std::size_t added = (first_ ? 0 : separator_.size()) + address.size();
    if (joined_.size() + added > mostBytes_) {
        tooLarge_ = true;
        joined_ = std::string();
        return;
    }
    if (!first_)
        joined_ += separator_;
    joined_.append(address);
    first_ = false;
}

Result<std::string> StoredReceiverCollector::Finish()
{
    if (!tooLarge_)
        TakeRun(carry_, carry_.find('@'), false);
    carry_ = std::string();
    if (tooLarge_)
        return Failure::TooLarge;
    // The limit counts the bytes of the value as read, not as stored.
    if (scan_.Valid()) {
        if (joined_.size() > kMaxCollectedReceiversBytes + 2 * (scan_.Bytes() - pairs_))
            return Failure::TooLarge;
        return std::move(joined_);
    }
    std::string converted = Utf8FromWindows1252(joined_);
    if (converted.size() > kMaxCollectedReceiversBytes + 2 * (scan_.Windows1252Length() - pairs_))
        return Failure::TooLarge;
    return converted;
}

ReceiversOfDocument::ReceiversOfDocument(std::optional<int> delimiter)
    : delimiter_(delimiter),
      reader_([this](const Document& head, std::size_t characters, std::string_view stored) {
          if (!collector_)
              collector_.emplace(delimiter_.value_or(head.receiverDelimiter), characters);
          collector_->Take(stored);
      })
{
}

Result<std::string> ReceiversOfDocument::Finish()
{
    if (!reader_.Finish())
        return Failure::Damaged;
    // An empty value is never handed on.
    return collector_ ? collector_->Finish() : std::string();
}
