#pragma once

#include <cstddef>
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
class StoredReceiverCollector {
public:
    // characters: the length the record gives its value, which bounds how
    // long the list can grow before it is surely too long.
    StoredReceiverCollector(int receiverDelimiter, std::size_t characters);

    void Take(std::string_view stored);
    Result<std::string> Finish();

private:
    // The run being read between two separators.
    struct RunState {
        std::size_t begin = 0;
        std::size_t firstAt = std::string_view::npos;  // from begin
        bool severalAts = false;
    };
    // firstAt: where the run's first "@" is, kOneAt when it has only one.
    static constexpr std::size_t kOneAt = std::string_view::npos - 1;

    void TakeMarked(std::string_view runs, std::size_t i, RunState& state);
    void TakeRun(std::string_view run, std::size_t firstAt, bool endsInPair);
    void Append(std::string_view address);

    std::string separator_;
    std::size_t mostBytes_;  // beyond this the list is too long whatever the encoding
    std::string joined_;
    std::string carry_;  // the run not yet ended by a separator
    Utf8Scan scan_;
    std::size_t pairs_ = 0;  // CR LF pairs, each read as one line feed
    bool endedInCr_ = false;
    bool cut_ = false;  // a zero byte ended the value
    bool tooLarge_ = false;
    bool first_ = true;
};

// The receivers of a document handed over piece by piece, joined as
// CollectReceivers joins those of ReadDocumentBytes: Finish gives the list,
// Damaged when the document is (whatever its receivers), or TooLarge.
// delimiter: the setting to join with, or the document's own.
class ReceiversOfDocument {
public:
    explicit ReceiversOfDocument(std::optional<int> delimiter);
    ReceiversOfDocument(const ReceiversOfDocument&) = delete;  // its reader holds on to it
    ReceiversOfDocument& operator=(const ReceiversOfDocument&) = delete;

    void Take(std::string_view piece) { reader_.Take(piece); }
    Result<std::string> Finish();

private:
    std::optional<int> delimiter_;
    std::optional<StoredReceiverCollector> collector_;  // once the records before the receivers are read
    DocumentWithoutReceivers reader_;
};
