#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/Result.h"
#include "core/documents/DocumentFormat.h"
#include "core/documents/TextEncoding.h"

// CollectReceivers on the receivers value of a document handed over piece
// by piece as the document stores it (line feeds as CR LF, in any
// encoding), so that a list of megabytes is never held as text: Finish
// gives what CollectReceivers gives for the value as the document reader
// reads it (cut at a zero byte, UTF-8 or else Windows-1252). Separators
// and "@" are ASCII, so addresses are found on the stored bytes and only
// the joined list is converted.
//
// Instead of holding the list, the collector can pass it on in pieces as
// it grows, so that not even the list is held, or only check beforehand
// whether it may be: see FinishPassing.
enum class JoinedList { Held, Passed, Checked };
using TakeJoined = std::function<void(std::string_view joined)>;

// What a list passed on or checked came to.
struct PassedList {
    std::size_t bytes = 0;  // passed on, in all
    // The value reads as Windows-1252: the bytes passed on are as stored,
    // not converted, and the bound is only known once they are.
    bool windows1252 = false;
    // A run holds several at signs. Only such runs can make a list too
    // long: without them it joins to at most twice the value's length.
    bool severalAts = false;
};

class StoredReceiverCollector {
public:
    // characters: the length the record gives its value, which bounds how
    // long the list can grow before it is surely too long.
    // pass: takes the pieces of a list that is Passed.
    StoredReceiverCollector(int receiverDelimiter, std::size_t characters, JoinedList list = JoinedList::Held,
                            TakeJoined pass = {});

    void Take(std::string_view stored);
    // When the list is held.
    Result<std::string> Finish();
    // When it is passed on (the rest is passed) or checked. A list found
    // too long after some of it was passed on is still TooLarge; a checked
    // one never is.
    Result<PassedList> FinishPassing();
    // A zero byte ended the value: what followed it was not read.
    bool CutAtZeroByte() const { return cut_; }

private:
    // The run being read between two separators: where it begins and how
    // many at signs it has, counted up to two (more change nothing).
    struct RunState {
        std::size_t begin = 0;
        unsigned ats = 0;
    };

    void EndRun(std::string_view runs, std::size_t i, RunState& state);
    void TakeRun(std::string_view run, unsigned ats, bool endsInPair);
    void TakeSeveralAts(std::string_view run);
    void Append(std::string_view address);
    void PassOn();
    Result<> TakeLastRun();

    std::string separator_;
    std::size_t mostBytes_;  // beyond this the list is too long whatever the encoding
    JoinedList list_;
    TakeJoined pass_;
    std::string joined_;  // when held
    std::unique_ptr<char[]> passing_;  // when passed on: what is not yet
    std::size_t passingBytes_ = 0;
    std::size_t joinedBytes_ = 0;
    std::string carry_;  // the run not yet ended by a separator
    Utf8Scan scan_;
    std::size_t pairs_ = 0;  // CR LF pairs, each read as one line feed
    bool endedInCr_ = false;
    bool cut_ = false;  // a zero byte ended the value
    bool tooLarge_ = false;
    bool first_ = true;
    bool severalAts_ = false;
    bool atInRun_ = false;  // when checked: an "@" since the last separator
};

// The receivers of a document handed over piece by piece, joined as
// CollectReceivers joins those of ReadDocumentBytes: Finish gives the list,
// Damaged when the document is (whatever its receivers), or TooLarge.
// delimiter: the setting to join with, or the document's own. list and
// pass: as for the collector.
class ReceiversOfDocument {
public:
    explicit ReceiversOfDocument(std::optional<int> delimiter, JoinedList list = JoinedList::Held,
                                 TakeJoined pass = {});
    ReceiversOfDocument(const ReceiversOfDocument&) = delete;  // its reader holds on to it
    ReceiversOfDocument& operator=(const ReceiversOfDocument&) = delete;

    void Take(std::string_view piece) { reader_.Take(piece); }
    Result<std::string> Finish();
    Result<PassedList> FinishPassing();
    bool CutAtZeroByte() const { return collector_ && collector_->CutAtZeroByte(); }

private:
    std::optional<int> delimiter_;
    JoinedList list_;
    TakeJoined pass_;
    std::optional<StoredReceiverCollector> collector_;  // once the records before the receivers are read
    DocumentWithoutReceivers reader_;
};
